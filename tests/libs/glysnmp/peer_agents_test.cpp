// The library against agents it was not written with: net-snmp's snmpd and
// snmpsim serving a recorded printer walk.
#include <gtest/gtest.h>

#include <cstring>

#include "glysnmp_test_support.h"

namespace {

const char kPrinterSystemId[] = "1.3.6.1.4.1.32473.1.2.1";

// snmpd with a printer in its host resources device table and a disk and a
// flash row in its storage table, plus one font row whose deletion never
// ends.
std::vector<std::string> SnmpdPrinter(const char* name) {
  return {
      std::string("sysobjectid .") + kPrinterSystemId,
      std::string("sysname ") + name,
      "sysdescr Slate printer on snmpd",
      "override .1.3.6.1.2.1.25.3.2.1.2.1 object_id .1.3.6.1.2.1.25.3.1.3",
      "override .1.3.6.1.2.1.25.3.2.1.2.7 object_id .1.3.6.1.2.1.25.3.1.5",
      "override .1.3.6.1.2.1.25.2.3.1.2.1 object_id .1.3.6.1.2.1.25.2.1.2",
      "override .1.3.6.1.2.1.25.2.3.1.2.2 object_id .1.3.6.1.2.1.25.2.1.4",
      "override .1.3.6.1.2.1.25.2.3.1.2.3 object_id .1.3.6.1.2.1.25.2.1.9",
      "override .1.3.6.1.4.1.32473.2.1.2.1.2.40 octet_str Hanging",
      "override .1.3.6.1.4.1.32473.2.1.2.1.7.40 integer 2",
      "override -rw .1.3.6.1.4.1.32473.2.1.2.1.8.40 integer 1",
  };
}

class SnmpdAgent : public ::testing::Test {
 protected:
  const std::string address_ = "127.61.0.1";
  uint16_t port_ = FreeUdpPort({address_});
  AgentTest settings_{port_};
  TempDir scratch_;
};

TEST_F(SnmpdAgent, IdentityAndStorageOfAPrinterInTheHostResourcesTables) {
  SnmpdPeer agent(scratch_.path(), address_, port_, SnmpdPrinter("LAB2"));
  ASSERT_TRUE(agent.ready());
  SnmpContext context{};
  ASSERT_EQ(SnmpInitContext(&context, nullptr, nullptr, 0), 0);

  DeviceInfo device;
  std::memset(&device, 0x55, sizeof device);
  ASSERT_EQ(SnmpAddPrinter(&context, AddressOf(address_), &device), kSnmpAddAnswered);
  EXPECT_EQ(device.address, AddressOf(address_));
  EXPECT_STREQ(device.systemId, kPrinterSystemId);
  EXPECT_STREQ(device.deviceName, "LAB2");
  EXPECT_STREQ(device.description, "Slate printer on snmpd");
  EXPECT_EQ(SnmpAddPrinter(&context, AddressOf(address_), &device), kSnmpAddAlreadyListed);

  PrinterRecord printer = RecordFor(address_);
  EXPECT_EQ(SnmpGetPrinterOptions(&printer), 0);
  EXPECT_EQ(printer.storageOptions, kStorageBoth);
  PrinterRecord v1Printer = RecordFor(address_, "vorpal", "quillet", 1);
  EXPECT_EQ(SnmpGetPrinterOptions(&v1Printer), 0);
  EXPECT_EQ(v1Printer.storageOptions, kStorageBoth);
}

TEST_F(SnmpdAgent, ADeviceWithoutAPrinterIsNotAPrinterAndSilenceIsNeither) {
  SnmpdPeer agent(scratch_.path(), address_, port_, {"sysname host", "override .1.3.6.1.2.1.25.3.2.1.2.1 object_id .1.3.6.1.2.1.25.3.1.3"});
  ASSERT_TRUE(agent.ready());
  SnmpContext context{};
  SnmpInitContext(&context, nullptr, nullptr, 0);
  DeviceInfo device{};
  EXPECT_EQ(SnmpAddPrinter(&context, AddressOf(address_), &device), kSnmpAddNotAPrinter);
  EXPECT_EQ(SnmpAddPrinter(&context, AddressOf("127.61.0.2"), &device), kSnmpNoAnswer);

  PrinterRecord printer = RecordFor(address_);
  EXPECT_EQ(SnmpGetPrinterOptions(&printer), 0);
  EXPECT_EQ(printer.storageOptions, kStorageNone);
  FontList fonts{7, nullptr};
  EXPECT_NE(SnmpGetFontList(&printer, &fonts), 0) << "no font table is a failure";
  EXPECT_EQ(fonts.count, 0);
}

TEST_F(SnmpdAgent, CommunitiesOtherThanTheRecordsAreNotAnswered) {
  SnmpdPeer agent(scratch_.path(), address_, port_, SnmpdPrinter("LAB3"));
  ASSERT_TRUE(agent.ready());
  PrinterRecord printer = RecordFor(address_, "wrong", "wrong");
  printer.storageOptions = kStorageBoth;
  EXPECT_NE(SnmpGetPrinterOptions(&printer), 0);
  EXPECT_EQ(printer.storageOptions, kStorageNone);
  DeleteContext deletion{&printer, 0};
  EXPECT_NE(SnmpDeleteFontStart(&deletion, 40), 0);
}

TEST_F(SnmpdAgent, DeletionThroughTheWriteCommunityAndItsStatus) {
  SnmpdPeer agent(scratch_.path(), address_, port_, SnmpdPrinter("LAB4"));
  ASSERT_TRUE(agent.ready());
  PrinterRecord printer = RecordFor(address_);
  DeleteContext deletion{&printer, 0};
  EXPECT_EQ(SnmpDeleteFontStart(&deletion, 40), 0);
  for (int poll = 0; poll < 3; ++poll) {
    uint32_t pending = 0;
    EXPECT_EQ(SnmpDeleteFontPoll(&deletion, 40, &pending), 0);
    EXPECT_EQ(pending, 1u) << "a deletion that never finishes stays pending";
  }
  EXPECT_NE(SnmpDeleteFontStart(&deletion, 41), 0) << "no such font";
  uint32_t pending = 1;
  EXPECT_EQ(SnmpDeleteFontPoll(&deletion, 41, &pending), 0);
  EXPECT_EQ(pending, 0u) << "a font without a row is gone";
  EXPECT_EQ(SnmpDeleteFontEnd(&deletion), 0);

  PrinterRecord readOnly = RecordFor(address_, "vorpal", "vorpal");
  DeleteContext refused{&readOnly, 0};
  EXPECT_NE(SnmpDeleteFontStart(&refused, 40), 0) << "the read community may not set";
}

// A printer walk recorded by hand: system group, a flash row in the
// storage table beside a RAM row, a Printer-MIB general row (no host resources device
// table) and a font table.
std::vector<std::string> RecordedPrinter() {
  std::vector<std::string> lines = {
      "1.3.6.1.2.1.1.1.0|4|Recorded printer",
      "1.3.6.1.2.1.1.2.0|6|1.3.6.1.4.1.32473.1.3.1",
      "1.3.6.1.2.1.1.5.0|4|REC1",
      "1.3.6.1.2.1.25.2.3.1.2.1|6|1.3.6.1.2.1.25.2.1.2",
      "1.3.6.1.2.1.25.2.3.1.2.4|6|1.3.6.1.2.1.25.2.1.9",
      "1.3.6.1.2.1.43.5.1.1.1.1|65|0",
      "1.3.6.1.4.1.32473.2.1.1.0|66|5",
  };
  const char* names[] = {"Courier", "Helvetica", "Times-Roman", "Symbol", "Gothic12"};
  const int indexes[] = {1, 2, 3, 10, 11};
  for (int column = 2; column <= 6; ++column) {
    for (int row = 0; row < 5; ++row) {
      std::string name = "1.3.6.1.4.1.32473.2.1.2.1." + std::to_string(column) + "." + std::to_string(indexes[row]);
      std::string value;
      switch (column) {
        case 2: value = std::string("|4|") + names[row]; break;
        case 3: value = row == 4 ? "|2|12" : "|2|-2"; break;
        case 4: value = row < 3 ? "|2|3" : "|2|2"; break;
        case 5: value = row == 4 ? "|2|3" : "|2|6"; break;
        case 6: value = row < 3 ? "|2|5" : "|2|4"; break;
      }
      lines.push_back(name + value);
    }
  }
  return lines;
}

TEST(SnmpsimAgent, RecordedPrinterIdentityStorageAndFonts) {
  TempDir scratch;
  const std::string address = "127.61.1.1";
  uint16_t port = FreeUdpPort({address});
  AgentTest settings(port);
  SnmpsimPeer agent(scratch.path(), {address}, port, {{"vorpal", RecordedPrinter()}});
  ASSERT_TRUE(agent.ready());

  SnmpContext context{};
  SnmpInitContext(&context, nullptr, nullptr, 0);
  DeviceInfo device{};
  ASSERT_EQ(SnmpAddPrinter(&context, AddressOf(address), &device), kSnmpAddAnswered);
  EXPECT_STREQ(device.systemId, "1.3.6.1.4.1.32473.1.3.1");
  EXPECT_STREQ(device.deviceName, "REC1");

  for (int32_t level : {1, 2}) {
    SCOPED_TRACE(level);
    PrinterRecord printer = RecordFor(address, "vorpal", "quillet", level);
    EXPECT_EQ(SnmpGetPrinterOptions(&printer), 0);
    EXPECT_EQ(printer.storageOptions, kStorageFlash) << "RAM is no place for downloads";

    FontList fonts{};
    ASSERT_EQ(SnmpGetFontList(&printer, &fonts), 0);
    ASSERT_EQ(fonts.count, 5);
    EXPECT_STREQ(fonts.entries[0].name, "Courier");
    EXPECT_EQ(fonts.entries[0].index, 1);
    EXPECT_EQ(fonts.entries[0].fontType, kFontTypePostScript);
    EXPECT_EQ(fonts.entries[0].persistence, kFontPermanent);
    EXPECT_EQ(fonts.entries[0].location, kFontInRom);
    EXPECT_EQ(fonts.entries[0].fontId, kNoFontId);
    EXPECT_STREQ(fonts.entries[4].name, "Gothic12");
    EXPECT_EQ(fonts.entries[4].index, 11);
    EXPECT_EQ(fonts.entries[4].fontId, 12);
    EXPECT_EQ(fonts.entries[4].fontType, kFontTypePcl);
    EXPECT_EQ(fonts.entries[4].persistence, kFontDownloaded);
    EXPECT_EQ(SnmpFreeFontList(&fonts), 0);
    EXPECT_EQ(fonts.count, 0);
    EXPECT_EQ(fonts.entries, nullptr);

    FontList later{};
    EXPECT_EQ(SnmpGetFontListFrom(&printer, &later, 3), 0);
    ASSERT_EQ(later.count, 2);
    EXPECT_EQ(later.entries[0].index, 10);
    EXPECT_EQ(later.entries[1].index, 11);
    SnmpFreeFontList(&later);
    EXPECT_EQ(SnmpGetFontListFrom(&printer, &later, 11), 0);
    EXPECT_EQ(later.count, 0);
  }
}

}  // namespace
