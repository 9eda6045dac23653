// Identity and storage as real printers show them, from recordings served
// by snmpsim: the model hidden behind a network card's sysDescr, a printer
// known only by its supply rows or its IEEE 1284 device ID, a disk in the
// device table, a full NVRAM, a read-only flash file system.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "glysnmp_test_support.h"

namespace {

const std::string kHrDevice = "1.3.6.1.2.1.25.3.2.1.";
const std::string kHrStorage = "1.3.6.1.2.1.25.2.3.1.";
const std::string kDeviceId = "1.3.6.1.4.1.2699.1.2.1.2.1.1.3.1|4|";

std::vector<std::string> System(const std::string& descr, const std::string& name) {
  return {"1.3.6.1.2.1.1.1.0|4|" + descr, "1.3.6.1.2.1.1.2.0|6|1.3.6.1.4.1.32473.1.9.1", "1.3.6.1.2.1.1.5.0|4|" + name};
}

void Add(std::vector<std::string>& lines, const std::vector<std::string>& more) {
  lines.insert(lines.end(), more.begin(), more.end());
}

std::vector<std::string> StorageRow(int row, const std::string& type, const std::string& descr, int units, int size,
                                    int used) {
  std::string r = "." + std::to_string(row);
  return {kHrStorage + "2" + r + "|6|1.3.6.1.2.1.25.2.1." + type, kHrStorage + "3" + r + "|4|" + descr,
          kHrStorage + "4" + r + "|2|" + std::to_string(units), kHrStorage + "5" + r + "|2|" + std::to_string(size),
          kHrStorage + "6" + r + "|2|" + std::to_string(used)};
}

// A multifunction device: a network card first in its device table, the
// printer second, a fixed disk with room that is a DiskStorage device too,
// and a flash memory whose only file system is read-only.
std::vector<std::string> Multifunction() {
  std::vector<std::string> lines = System("Ostrel NetCard 3.1", "MFP1");
  Add(lines, {kHrDevice + "2.1|6|1.3.6.1.2.1.25.3.1.4", kHrDevice + "2.2|6|1.3.6.1.2.1.25.3.1.5",
              kHrDevice + "2.3|6|1.3.6.1.2.1.25.3.1.6", kHrDevice + "3.1|4|Ostrel Ethernet",
              kHrDevice + "3.2|4|Ostrel Slate 9 MFP", kHrDevice + "3.3|4|DISK", "1.3.6.1.2.1.25.3.6.1.1.3|2|1",
              "1.3.6.1.2.1.25.3.6.1.2.3|2|3", "1.3.6.1.2.1.25.3.6.1.4.3|2|4000",
              "1.3.6.1.2.1.25.3.8.1.5.1|2|2", "1.3.6.1.2.1.25.3.8.1.7.1|2|3",
              "1.3.6.1.2.1.43.5.1.1.17.1|4|OST-0042", kDeviceId + "MFG:Ostrel;CMD:PJL,PCL;MDL:Slate9;"});
  Add(lines, StorageRow(1, "2", "RAM", 1024, 512, 100));
  Add(lines, StorageRow(2, "4", "Disk", 4096, 1000, 250));
  Add(lines, StorageRow(3, "9", "Fonts flash", 1024, 8192, 10));
  return lines;
}

// Supply rows of the Printer MIB, no general row, no printer device: a
// hard disk as a DiskStorage device with its disk table entry, and a full
// 2-unit NVRAM.
std::vector<std::string> SuppliesOnly() {
  std::vector<std::string> lines = System("Ostrel network interface", "COPIER");
  Add(lines, {kHrDevice + "2.5|6|1.3.6.1.2.1.25.3.1.6", kHrDevice + "3.5|4|Ostrel disk",
              "1.3.6.1.2.1.25.3.6.1.1.5|2|1", "1.3.6.1.2.1.25.3.6.1.2.5|2|3", "1.3.6.1.2.1.25.3.6.1.4.5|2|40000000",
              "1.3.6.1.2.1.43.11.1.1.6.1.1|4|Black toner"});
  Add(lines, StorageRow(7, "9", "NVRAM", 1, 2, 2));
  return lines;
}

// Known by its device ID alone.
std::vector<std::string> DeviceIdOnly() {
  std::vector<std::string> lines = System("Ostrel print server", "PS1");
  lines.push_back(kDeviceId + "MANUFACTURER:Ostrel;COMMAND SET:POSTSCRIPT;MODEL:Quill 40;");
  return lines;
}

// A printer row that names only the family, the model in the device ID;
// with `deviceIdModel` empty, no device ID at all.
std::vector<std::string> GenericRow(const std::string& rowText, const std::string& deviceIdModel) {
  std::vector<std::string> lines = System("Ostrel network interface", "GEN");
  Add(lines, {kHrDevice + "2.1|6|1.3.6.1.2.1.25.3.1.5", kHrDevice + "3.1|4|" + rowText});
  if (!deviceIdModel.empty()) lines.push_back(kDeviceId + "MFG:Ostrel;CMD:PJL,PCL;MDL:" + deviceIdModel + ";");
  return lines;
}

// A printer with one font in the font table, recorded: an agent that
// answers a SET with what it holds, not with the value set.
std::vector<std::string> RecordedFont() {
  std::vector<std::string> lines = System("Ostrel Slate 9", "FONTS");
  const std::string font = "1.3.6.1.4.1.32473.2.1.2.1.";
  Add(lines, {"1.3.6.1.4.1.32473.2.1.1.0|2|1", font + "2.5|4|Gothic", font + "7.5|2|1", font + "8.5|2|1"});
  return lines;
}

// A scanner with a device ID and a device table, but nothing to print with.
std::vector<std::string> Scanner() {
  std::vector<std::string> lines = System("Ostrel scanner", "SCAN");
  Add(lines, {kHrDevice + "2.1|6|1.3.6.1.2.1.25.3.1.4", kDeviceId + "MFG:Ostrel;CMD:SCAN,TWAIN;MDL:Scan 2;"});
  return lines;
}

// snmpsim looks records up by bisection: they go in OID order.
std::vector<std::string> Sorted(std::vector<std::string> lines) {
  auto numbers = [](const std::string& line) {
    std::vector<unsigned long> oid;
    std::istringstream in(line.substr(0, line.find('|')));
    for (std::string part; std::getline(in, part, '.');) oid.push_back(std::stoul(part));
    return oid;
  };
  std::sort(lines.begin(), lines.end(), [&](const std::string& a, const std::string& b) { return numbers(a) < numbers(b); });
  return lines;
}

class RecordedPrinters : public ::testing::Test {
 protected:
  void SetUp() override {
    agent_ = std::make_unique<SnmpsimPeer>(
        scratch_.path(), std::vector<std::string>{address_}, port_,
        std::vector<SnmpsimPeer::Recording>{{"mfp", Sorted(Multifunction())},
                                            {"supplies", Sorted(SuppliesOnly())},
                                            {"deviceid", Sorted(DeviceIdOnly())},
                                            {"scanner", Sorted(Scanner())},
                                            {"generic", Sorted(GenericRow("Generic 28C-1", "Slate 12"))},
                                            {"family", Sorted(GenericRow("28C-1", "Slate 12"))},
                                            {"alone", Sorted(GenericRow("Generic 28C-1", ""))},
                                            {"fonts", Sorted(RecordedFont())}});
    ASSERT_TRUE(agent_->ready());
    SnmpInitContext(&context_, nullptr, nullptr, 0);
  }

  // What adding the device gives, asked with `community`.
  int32_t Add(const std::string& community, DeviceInfo* device) {
    EnvOverride asked("GLY_SNMP_COMMUNITY", community);
    SnmpContext fresh{};
    SnmpInitContext(&fresh, nullptr, nullptr, 0);
    return SnmpAddPrinter(&fresh, AddressOf(address_), device);
  }

  TempDir scratch_;
  const std::string address_ = "127.61.2.1";
  uint16_t port_ = FreeUdpPort({address_});
  AgentTest settings_{port_};
  std::unique_ptr<SnmpsimPeer> agent_;
  SnmpContext context_{};
};

TEST_F(RecordedPrinters, EveryKindOfPrinterIsRecognisedWithItsModelAndTheScannerIsNot) {
  DeviceInfo device{};
  ASSERT_EQ(Add("mfp", &device), kSnmpAddAnswered);
  EXPECT_STREQ(device.description, "Ostrel Slate 9 MFP") << "the printer row's description, not the card's";
  EXPECT_STREQ(device.deviceName, "MFP1");
  ASSERT_EQ(Add("supplies", &device), kSnmpAddAnswered) << "supply rows alone make a printer";
  EXPECT_STREQ(device.description, "Ostrel network interface") << "nothing better than sysDescr";
  ASSERT_EQ(Add("deviceid", &device), kSnmpAddAnswered);
  EXPECT_STREQ(device.description, "Quill 40");
  EXPECT_EQ(Add("scanner", &device), kSnmpAddNotAPrinter);
}

TEST_F(RecordedPrinters, AGenericPrinterRowGivesWayToTheDeviceIdModel) {
  DeviceInfo device{};
  ASSERT_EQ(Add("generic", &device), kSnmpAddAnswered);
  EXPECT_STREQ(device.description, "Slate 12");
  ASSERT_EQ(Add("family", &device), kSnmpAddAnswered);
  EXPECT_STREQ(device.description, "Slate 12") << "a bare family code names no model";
  ASSERT_EQ(Add("alone", &device), kSnmpAddAnswered);
  EXPECT_STREQ(device.description, "Generic 28C-1") << "still better than the network card's sysDescr";
}

TEST_F(RecordedPrinters, ARecordingThatDoesNotTakeTheSetRefusesTheDeletion) {
  PrinterRecord printer = RecordFor(address_, "fonts", "fonts");
  DeleteContext deletion{&printer, 0};
  EXPECT_EQ(SnmpDeleteFontStart(&deletion, 5), kSnmpRefused);
  SnmpDeleteFontEnd(&deletion);
}

TEST_F(RecordedPrinters, StorageCountsWhatIsWritableAndNotFull) {
  PrinterRecord mfp = RecordFor(address_, "mfp");
  EXPECT_EQ(SnmpGetPrinterOptions(&mfp), 0);
  EXPECT_EQ(mfp.storageOptions, kStorageHardDisk) << "the flash holds a read-only file system";
  PrinterRecord supplies = RecordFor(address_, "supplies");
  EXPECT_EQ(SnmpGetPrinterOptions(&supplies), 0);
  EXPECT_EQ(supplies.storageOptions, kStorageHardDisk) << "the disk device counts, the full NVRAM does not";
  PrinterRecord none = RecordFor(address_, "deviceid");
  EXPECT_EQ(SnmpGetPrinterOptions(&none), 0);
  EXPECT_EQ(none.storageOptions, kStorageNone);
}

TEST_F(RecordedPrinters, DetailsGiveSerialNumberFreeSpaceAndFontSource) {
  PrinterRecord mfp = RecordFor(address_, "mfp");
  SnmpPrinterDetails details;
  ASSERT_EQ(SnmpGetPrinterDetails(&mfp, &details), 0);
  EXPECT_STREQ(details.systemId, "1.3.6.1.4.1.32473.1.9.1");
  EXPECT_STREQ(details.model, "Ostrel Slate 9 MFP");
  EXPECT_STREQ(details.serialNumber, "OST-0042");
  EXPECT_EQ(details.fontSource, kFontSourceNone) << "no font table in the recording";
  ASSERT_EQ(details.storageCount, 2u) << "the disk device is the storage table's disk";
  EXPECT_STREQ(details.storage[0].description, "Disk");
  EXPECT_EQ(details.storage[0].capacityBytes, 4096u * 1000);
  EXPECT_EQ(details.storage[0].freeBytes, 4096u * 750);
  EXPECT_EQ(details.storage[0].usable, 1u);
  EXPECT_EQ(details.storage[1].kind, kStorageFlash);
  EXPECT_EQ(details.storage[1].usable, 0u);

  // In v1 too, though the device has no device ID to step to.
  PrinterRecord supplies = RecordFor(address_, "supplies", "quillet", 1);
  ASSERT_EQ(SnmpGetPrinterDetails(&supplies, &details), 0);
  EXPECT_STREQ(details.systemId, "1.3.6.1.4.1.32473.1.9.1");
  EXPECT_STREQ(details.model, "Ostrel network interface");
  EXPECT_STREQ(details.serialNumber, "");
  ASSERT_EQ(details.storageCount, 2u);
  EXPECT_EQ(details.storage[0].freeBytes, 0u) << "the NVRAM";
  EXPECT_EQ(details.storage[1].kind, kStorageHardDisk);
  EXPECT_EQ(details.storage[1].capacityBytes, uint64_t{40000000} * 1024);
  EXPECT_EQ(details.storage[1].freeBytes, kSnmpUnknownSize);

  PrinterRecord silent = RecordFor("127.61.2.2", "mfp");
  EXPECT_NE(SnmpGetPrinterDetails(&silent, &details), 0);
  EXPECT_STREQ(details.model, "");
}

}  // namespace
