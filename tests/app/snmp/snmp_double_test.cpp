// The SNMP library double stands in for the real library in every program
// test, so the contract behaviour those tests lean on is pinned here.
#include <gtest/gtest.h>

#include <vector>

#include "printers/printer_record.h"
#include "snmp_double.h"

namespace {

constexpr uint32_t kPrinter = 0x7F00000Au;  // 127.0.0.10

class SnmpDoubleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    snmp_double::Reset();
    snmp_double::Device device;
    device.info = snmp_double::MakeDeviceInfo(kPrinter, "1.3.6.1.4.1.32473.1.1.1", "LAB2",
                                              "Quill 2200");
    device.storageOptions = kStorageHardDisk;
    device.fonts = {
        snmp_double::MakeFontEntry("Courier", 1, kFontTypePcl, kFontPermanent, kFontInRom, 3),
        snmp_double::MakeFontEntry("Times", 2, kFontTypePostScript, kFontPermanent, kFontInRom),
        snmp_double::MakeFontEntry("Mine", 7, kFontTypePostScript, kFontDownloaded,
                                   kFontOnHardDisk),
    };
    snmp_double::AddDevice(device);
    printer_ = MakePrinterRecord();
    printer_.address = kPrinter;
  }
  void TearDown() override { snmp_double::Reset(); }

  PrinterRecord printer_;
};

void Collect(const DeviceInfo* device, void* context) {
  static_cast<std::vector<uint32_t>*>(context)->push_back(device->address);
}

TEST_F(SnmpDoubleTest, ReportsAddsAndAnswersLikeTheLibrary) {
  std::vector<uint32_t> found;
  SnmpContext context{};
  SnmpInitContext(&context, Collect, &found, 0);
  SnmpDiscoverPrinters(&context, SnmpSubnetTarget(0x7F000000u, 0xFFFFFF00u), 0, 0);
  EXPECT_EQ(found, std::vector<uint32_t>{kPrinter});

  DeviceInfo device{};
  EXPECT_EQ(SnmpAddPrinter(&context, kPrinter, &device), kSnmpAddAnswered);
  EXPECT_STREQ(device.deviceName, "LAB2");
  EXPECT_EQ(SnmpAddPrinter(&context, kPrinter + 1, &device), kSnmpAddNotAPrinter);

  EXPECT_EQ(SnmpGetPrinterOptions(&printer_), 0);
  EXPECT_EQ(printer_.storageOptions, kStorageHardDisk);
  EXPECT_EQ(snmp_double::CallCount("SnmpAddPrinter"), 2);
}

TEST_F(SnmpDoubleTest, FontListsAreHandedOutAndReleasedOnlyThroughTheLibrary) {
  FontList all{};
  ASSERT_EQ(SnmpGetFontList(&printer_, &all), 0);
  ASSERT_EQ(all.count, 3);
  FontList after{};
  SnmpGetFontListFrom(&printer_, &after, 2);
  ASSERT_EQ(after.count, 1);
  EXPECT_STREQ(after.entries[0].name, "Mine");
  EXPECT_EQ(snmp_double::OutstandingFontLists(), 2);

  FontEntry ownArray[1] = {after.entries[0]};
  FontList own{1, ownArray};
  SnmpFreeFontList(&own);
  EXPECT_EQ(snmp_double::ForeignFrees(), 1);
  SnmpFreeFontList(&all);
  SnmpFreeFontList(&after);
  EXPECT_EQ(snmp_double::OutstandingFontLists(), 0);
  EXPECT_EQ(all.count, 0);
}

TEST_F(SnmpDoubleTest, DeletionsFollowTheirScriptAndShrinkTheTable) {
  snmp_double::Deletion slow;
  slow.pendingPolls = 2;
  snmp_double::SetDeletion(kPrinter, 7, slow);
  DeleteContext context{&printer_, 0};
  ASSERT_EQ(SnmpDeleteFontStart(&context, 7), 0);
  uint32_t pending = 0;
  for (int poll = 0; poll < 2; ++poll) {
    SnmpDeleteFontPoll(&context, 7, &pending);
    EXPECT_EQ(pending, 1u);
  }
  EXPECT_EQ(SnmpDeleteFontPoll(&context, 7, &pending), 0);
  EXPECT_EQ(pending, 0u);
  SnmpDeleteFontEnd(&context);
  EXPECT_EQ(snmp_double::GetDevice(kPrinter).fonts.size(), 2u);

  snmp_double::Deletion refused;
  refused.startResult = 5;
  snmp_double::SetDeletion(kPrinter, 2, refused);
  EXPECT_EQ(SnmpDeleteFontStart(&context, 2), 5);
}

}  // namespace
