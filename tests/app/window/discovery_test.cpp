#include <cstring>

#include "printers/printer_name.h"
#include "window_fixture.h"

namespace {

constexpr char kModelId[] = "1.3.6.1.4.1.32473.2.40";

std::string Model(const char* systemId, const char* storageIndex, const char* extra = "") {
  return std::string("SystemID=") + systemId + "\nStorageIndex=" + storageIndex + "\nSNMPLevel=2\n" + extra;
}

class DiscoveryTest : public WindowTest {};

TEST_F(DiscoveryTest, PrintersAreListedInTextOrderWithEachRecordAtItsTextsPlace) {
  StartWithoutProfiles();
  Report(Ip(10, 0, 0, 2), "two");
  Report(Ip(10, 0, 0, 10), "ten");
  Report(Ip(10, 0, 0, 100), "hundred");
  ASSERT_EQ(logic->itemCount(), 3);
  EXPECT_EQ(logic->items()[0].text.rfind("hundred ", 0), 0u);
  EXPECT_EQ(logic->items()[1].text.rfind("ten ", 0), 0u);
  EXPECT_EQ(logic->items()[2].text.rfind("two ", 0), 0u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(logic->items()[i].text, PrinterDisplayName(*logic->printers().at(i)));
}

TEST_F(DiscoveryTest, UnknownModelIsListedWithItsDescriptionAndAskedForItsOptions) {
  StartWithProfiles({{"Model 40", Model(kModelId, "1")}});
  Report(Ip(10, 1, 2, 3), "LAB2", kStorageFlash, "1.3.6.1.4.1.32473.99", "Some printer");
  const PrinterRecord& record = *logic->printers().at(0);
  EXPECT_EQ(logic->items()[0].text, "LAB2 (Some printer) 10.1.2.3");
  EXPECT_STREQ(record.modelName, "Some printer");
  EXPECT_STREQ(record.printerName, "LAB2");
  EXPECT_EQ(record.optionsKnown, 0);
  EXPECT_EQ(record.fontNameIndex, 1);
  EXPECT_EQ(record.pclList, 0);
  EXPECT_EQ(record.storageOptions, kStorageFlash);
  EXPECT_EQ(snmp_double::CallCount("SnmpGetReportedStorage"), 1);
  EXPECT_STREQ(record.readCommunity, "vorpal");
  EXPECT_STREQ(record.writeCommunity, "quillet");
  EXPECT_STREQ(record.trapCommunity, "PLMB_vane");
}

TEST_F(DiscoveryTest, MatchingProfileNamesTheModelAndCarriesItsValues) {
  StartWithProfiles({{"Model 40", Model(kModelId, "1", "FontNameIndex=3\nPCLList=1\n")}});
  Report(Ip(10, 1, 2, 3), "LAB2", kStorageBoth, kModelId);
  const PrinterRecord& record = *logic->printers().at(0);
  EXPECT_EQ(logic->items()[0].text, "LAB2 (Model 40) 10.1.2.3");
  EXPECT_STREQ(record.modelName, "Model 40");
  EXPECT_EQ(record.snmpLevel, 2);
  EXPECT_EQ(record.fontNameIndex, 3);
  EXPECT_EQ(record.pclList, 1);
  EXPECT_EQ(record.optionsKnown, 1);
}

TEST_F(DiscoveryTest, StorageIndexSettlesTheOptionsOnlyForItsKnownPairs) {
  struct Case {
    const char* storageIndex;
    bool known;
    uint32_t options;
  };
  // A printer that tells nothing of its storage: "2 0" settles nothing.
  const Case cases[] = {{"1", true, 1}, {"0", true, 0}, {"1 1", true, 2},
                        {"0 1", true, 1}, {"2", false, kStorageNone}};
  for (const Case& c : cases) {
    SetUp();
    StartWithProfiles({{"M", Model(kModelId, c.storageIndex)}});
    snmp_double::Device device;
    device.info = snmp_double::MakeDeviceInfo(Ip(10, 0, 0, 1), kModelId, "P", "Laser printer");
    device.reportsStorage = false;
    snmp_double::AddDevice(device);
    ASSERT_TRUE(snmp_double::ReportPrinter(device.info));
    const PrinterRecord& record = *logic->printers().at(0);
    EXPECT_EQ(record.optionsKnown, c.known ? 1 : 0) << c.storageIndex;
    EXPECT_EQ(record.storageOptions, c.options) << c.storageIndex;
  }
}

TEST_F(DiscoveryTest, StorageThePrinterReportsDecidesOverTheProfile) {
  // The profile says "no storage" and "disk only"; the printers report otherwise.
  StartWithProfiles({{"None", Model(kModelId, "0")}, {"Disk", Model("1.3.6.1.4.1.32473.2.41", "1")}});
  Report(Ip(10, 0, 0, 1), "P", kStorageBoth, kModelId);
  Report(Ip(10, 0, 0, 2), "Q", kStorageFlash, "1.3.6.1.4.1.32473.2.41");
  EXPECT_EQ(logic->printers().at(0)->storageOptions, kStorageBoth);
  EXPECT_EQ(logic->printers().at(1)->storageOptions, kStorageFlash);
}

TEST_F(DiscoveryTest, FirstProfileWithTheSystemIdWins) {
  StartWithProfiles({{"First", Model(kModelId, "1")}, {"Second", Model(kModelId, "0")}});
  Report(Ip(10, 0, 0, 1), "P", kStorageNone, kModelId);
  EXPECT_STREQ(logic->printers().at(0)->modelName, "First");
}

TEST_F(DiscoveryTest, MatchIsExactAndOnlyAmongCompleteProfiles) {
  ModelProfileTable table;
  table.profiles.resize(2);
  std::strcpy(table.profiles[0].modelName, "Counted");
  std::strcpy(table.profiles[0].systemId, "1.2.3");
  std::strcpy(table.profiles[1].modelName, "Unfinished");
  std::strcpy(table.profiles[1].systemId, "1.2.4");
  table.modelCount = 1;

  PrinterRecord record = MakePrinterRecord();
  EXPECT_EQ(MatchModelProfile(snmp_double::MakeDeviceInfo(1, "1.2.4", "n", "d"), record, table), nullptr);
  EXPECT_EQ(MatchModelProfile(snmp_double::MakeDeviceInfo(1, "1.2.", "n", "d"), record, table), nullptr);
  EXPECT_EQ(MatchModelProfile(snmp_double::MakeDeviceInfo(1, "1.2.3", "n", "d"), record, table),
            &table.profiles[0]);
}

TEST_F(DiscoveryTest, DeviceTextsWithoutTheirEndStopAtTheirFields) {
  DeviceInfo device = snmp_double::MakeDeviceInfo(Ip(10, 0, 0, 1), "1.2", "", "");
  std::memset(device.deviceName, 'N', sizeof device.deviceName);
  std::memset(device.description, 'D', sizeof device.description);
  const PrinterRecord record = NewPrinterRecord(device, Ip(10, 0, 0, 1));
  EXPECT_EQ(std::strlen(record.printerName), sizeof record.printerName - 1);
  EXPECT_EQ(PrinterDisplayName(record), std::string(sizeof record.printerName - 1, 'N') + " (" +
                                           std::string(sizeof record.modelName - 1, 'D') + ") 10.0.0.1");
}

TEST_F(DiscoveryTest, ReportFromAnotherThreadWaitsForTheUserInterfaceThread) {
  StartWithoutProfiles();
  ui.current = false;
  Report(Ip(10, 0, 0, 1), "late");
  EXPECT_EQ(logic->itemCount(), 0);
  ASSERT_EQ(ui.posted.size(), 1u);
  ui.RunPosted();
  ASSERT_EQ(logic->itemCount(), 1);
  EXPECT_STREQ(logic->printers().at(0)->printerName, "late");
}

TEST_F(DiscoveryTest, ReportsThatComeAfterTheWindowClosedAreDropped) {
  StartWithoutProfiles();
  ui.current = false;
  Report(Ip(10, 0, 0, 1), "waiting");
  const int stateChanges = host.stateChanges;
  logic.reset();
  ui.RunPosted();  // the window closed while the report waited in the queue
  ui.current = true;
  Report(Ip(10, 0, 0, 2), "late");  // the library keeps its context past the window
  EXPECT_EQ(host.stateChanges, stateChanges);
  EXPECT_EQ(snmp_double::CallCount("SnmpGetPrinterOptions"), 0);
}

}  // namespace
