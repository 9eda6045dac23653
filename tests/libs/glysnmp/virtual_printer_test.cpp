// The library end to end with the virtual printer: adding, discovering,
// community strings, a large font table and font deletion.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "glysnmp_test_support.h"
#include "virtual_printer_support.h"

namespace {

using printer_sim::PrinterConfig;
using printer_sim::Simulator;
using printer_sim::Storage;

class VirtualPrinters : public ::testing::Test {
 protected:
  // Starts printers at `addresses`, all at one SNMP port (the library has
  // one port for every printer), and points the library at it.
  void Start(std::vector<PrinterConfig> configs) {
    std::vector<std::string> addresses;
    for (const PrinterConfig& config : configs) addresses.push_back(config.address);
    uint16_t port = FreeUdpPort(addresses);
    for (PrinterConfig& config : configs) {
      config.snmpPort = port;
      ASSERT_TRUE(simulator_.AddPrinter(config)) << config.address;
    }
    simulator_.Start();
    settings_ = std::make_unique<AgentTest>(port);
    SnmpInitContext(&context_, Collect, this, 0);
  }

  static PrinterConfig Printer(const std::string& address, const char* model, Storage storage) {
    PrinterConfig config;
    config.address = address;
    config.systemId = model;
    config.name = "VP" + address.substr(address.rfind('.') + 1);
    config.description = std::string("Virtual ") + model;
    config.storage = storage;
    config.deletionMs = 50;
    return config;
  }

  static void Collect(const DeviceInfo* device, void* self) {
    static_cast<VirtualPrinters*>(self)->found_.push_back(*device);
  }

  void Send(size_t printer, const std::string& job) {
    ASSERT_EQ(SendJob(simulator_, printer, scratch_.file("job" + std::to_string(jobs_++)), job), "");
  }

  Simulator simulator_;
  std::unique_ptr<AgentTest> settings_;
  SnmpContext context_{};
  std::vector<DeviceInfo> found_;
  TempDir scratch_;
  int jobs_ = 0;
};

TEST_F(VirtualPrinters, AddByAddressThenDiscoverTheOtherTwoOfTheSubnet) {
  Start({Printer("127.65.1.10", "1.3.6.1.4.1.32473.1.1.1", Storage::kNone),
         Printer("127.65.1.11", "1.3.6.1.4.1.32473.1.2.1", Storage::kBoth),
         Printer("127.65.1.200", "1.3.6.1.4.1.32473.1.2.2", Storage::kFlash)});
  DeviceInfo device{};
  ASSERT_EQ(SnmpAddPrinter(&context_, AddressOf("127.65.1.11"), &device), kSnmpAddAnswered);
  EXPECT_STREQ(device.systemId, "1.3.6.1.4.1.32473.1.2.1");
  EXPECT_STREQ(device.deviceName, "VP11");
  EXPECT_STREQ(device.description, "Virtual 1.3.6.1.4.1.32473.1.2.1");
  EXPECT_EQ(SnmpAddPrinter(&context_, AddressOf("127.65.1.12"), &device), kSnmpNoAnswer);

  EXPECT_EQ(SnmpDiscoverPrinters(&context_, SnmpSubnetTarget(AddressOf("127.65.1.0"), 0xffffff00), 0, 0), 0);
  ASSERT_EQ(found_.size(), 2u);
  EXPECT_EQ(found_[0].address, AddressOf("127.65.1.10"));
  EXPECT_EQ(found_[1].address, AddressOf("127.65.1.200"));
  EXPECT_STREQ(found_[1].systemId, "1.3.6.1.4.1.32473.1.2.2");

  const std::pair<const char*, uint32_t> storage[] = {
      {"127.65.1.10", kStorageNone}, {"127.65.1.11", kStorageBoth}, {"127.65.1.200", kStorageFlash}};
  for (const auto& [address, expected] : storage) {
    PrinterRecord printer = RecordFor(address);
    EXPECT_EQ(SnmpGetPrinterOptions(&printer), 0);
    EXPECT_EQ(printer.storageOptions, expected) << address;
    uint32_t reported = kStorageBoth;
    EXPECT_EQ(SnmpGetReportedStorage(&printer, &reported), expected == kStorageNone ? kSnmpStorageUnreported : kSnmpOk);
    EXPECT_EQ(reported, expected) << address;
  }
}

TEST_F(VirtualPrinters, ANarrowWindowAndASlowRateStillFindEveryPrinterAtTheirPace) {
  Start({Printer("127.65.2.1", "1.3.6.1.4.1.32473.1.1.1", Storage::kDisk),
         Printer("127.65.2.128", "1.3.6.1.4.1.32473.1.1.1", Storage::kDisk),
         Printer("127.65.2.254", "1.3.6.1.4.1.32473.1.1.1", Storage::kDisk)});
  EnvOverride timeout("GLY_SNMP_TIMEOUT_MS", "100");
  EnvOverride rate("GLY_SNMP_DISCOVERY_RATE", "400");
  EnvOverride window("GLY_SNMP_DISCOVERY_IN_FLIGHT", "16");
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SnmpDiscoverPrinters(&context_, SnmpSubnetTarget(AddressOf("127.65.2.0"), 0xffffff00), 0, 0), 0);
  auto took = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(found_.size(), 3u);
  EXPECT_EQ(found_[0].address, AddressOf("127.65.2.1"));
  EXPECT_EQ(found_[2].address, AddressOf("127.65.2.254"));
  // 254 requests at 400 a second take at least 0.63 s; so do 254 requests
  // 16 at a time when each of the silent ones waits 100 ms (1.5 s).
  EXPECT_GE(took, std::chrono::milliseconds(1500));
}

TEST_F(VirtualPrinters, APrinterWithOtherCommunitiesAnswersOnlyOnceTheyAreEntered) {
  PrinterConfig config = Printer("127.65.2.10", "1.3.6.1.4.1.32473.1.1.2", Storage::kDisk);
  config.readCommunity = "jabber";
  config.writeCommunity = "wocky";
  Start({config});
  uint32_t subnet = SnmpSubnetTarget(AddressOf("127.65.2.0"), 0xffffff00);
  DeviceInfo device{};
  EXPECT_EQ(SnmpAddPrinter(&context_, AddressOf(config.address), &device), kSnmpNoAnswer) << "an agent stays silent";
  SnmpDiscoverPrinters(&context_, subnet, 0, 0);
  EXPECT_TRUE(found_.empty());
  {
    EnvOverride community("GLY_SNMP_COMMUNITY", "jabber");
    SnmpDiscoverPrinters(&context_, subnet, 0, 0);
    ASSERT_EQ(found_.size(), 1u);
  }

  PrinterRecord printer = RecordFor(config.address);  // as a new record starts
  FontList fonts{};
  EXPECT_NE(SnmpGetFontList(&printer, &fonts), 0);
  EXPECT_NE(SnmpGetPrinterOptions(&printer), 0);
  PrinterRecord entered = RecordFor(config.address, "jabber", "wocky");
  ASSERT_EQ(SnmpGetFontList(&entered, &fonts), 0);
  EXPECT_EQ(fonts.count, 8);
  SnmpFreeFontList(&fonts);
  EXPECT_EQ(SnmpGetPrinterOptions(&entered), 0);
  EXPECT_EQ(entered.storageOptions, kStorageHardDisk);
}

TEST_F(VirtualPrinters, ATableOfAThousandFontsIsReadWhole) {
  PrinterConfig config = Printer("127.65.3.10", "1.3.6.1.4.1.32473.1.2.1", Storage::kBoth);
  config.postScriptFonts = 500;
  config.pclFonts = 500;
  for (int32_t level : {2, 1}) {
    SCOPED_TRACE(level);
    if (level == 2) Start({config});
    std::vector<printer_sim::Font> expected = simulator_.Fonts(0);
    ASSERT_EQ(expected.size(), 1000u);
    PrinterRecord printer = RecordFor(config.address, "vorpal", "quillet", level);
    FontList fonts{};
    ASSERT_EQ(SnmpGetFontList(&printer, &fonts), 0);
    ASSERT_EQ(fonts.count, 1000);
    for (size_t i = 0; i < expected.size(); ++i) {
      const FontEntry& entry = fonts.entries[i];
      ASSERT_EQ(entry.index, expected[i].index);
      ASSERT_EQ(entry.name, expected[i].name.substr(0, sizeof entry.name - 1));
      ASSERT_EQ(entry.fontId, expected[i].fontId);
      ASSERT_EQ(entry.location, expected[i].location);
      ASSERT_EQ(entry.fontType, expected[i].type);
      ASSERT_EQ(entry.persistence, expected[i].persistence);
    }
    SnmpFreeFontList(&fonts);
  }
}

TEST_F(VirtualPrinters, TwoDownloadedFontsAreDeletedAndThePartialReadShowsWhatFollows) {
  Start({Printer("127.65.4.10", "1.3.6.1.4.1.32473.1.2.1", Storage::kBoth)});
  Send(0, sim_test::PjlDownload('0', "Gothic", sim_test::PclSoftFont("Gothic", 42)));
  Send(0, sim_test::PostScriptDownload(true, "Elegant", sim_test::Type1FontText("Elegant")));
  Send(0, sim_test::PostScriptDownload(false, "Plain", sim_test::Type1FontText("Plain")));
  PrinterRecord printer = RecordFor("127.65.4.10");
  FontList fonts{};
  for (int wait = 0; wait < 100 && fonts.count != 11; ++wait) {
    SnmpFreeFontList(&fonts);
    ASSERT_EQ(SnmpGetFontList(&printer, &fonts), 0);
    if (fonts.count != 11) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_EQ(fonts.count, 11) << "eight internal fonts and three downloaded";
  int32_t lastPermanent = fonts.entries[7].index;
  EXPECT_EQ(fonts.entries[7].persistence, kFontPermanent);
  std::vector<int32_t> downloaded;
  for (int i = 8; i < 11; ++i) {
    EXPECT_EQ(fonts.entries[i].persistence, kFontDownloaded);
    downloaded.push_back(fonts.entries[i].index);
  }
  SnmpFreeFontList(&fonts);

  DeleteContext deletion{&printer, 0};
  for (int32_t index : {downloaded[0], downloaded[2]}) {
    ASSERT_EQ(SnmpDeleteFontStart(&deletion, index), 0);
    uint32_t pending = 1;
    for (int poll = 0; poll < 100 && pending != 0; ++poll) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      EXPECT_EQ(SnmpDeleteFontPoll(&deletion, index, &pending), 0);
    }
    EXPECT_EQ(pending, 0u);
  }
  EXPECT_EQ(SnmpDeleteFontEnd(&deletion), 0);
  EXPECT_NE(SnmpDeleteFontStart(&deletion, lastPermanent), 0) << "permanent fonts stay";

  FontList rest{};
  EXPECT_EQ(SnmpGetFontListFrom(&printer, &rest, lastPermanent), 0);
  ASSERT_EQ(rest.count, 1);
  EXPECT_EQ(rest.entries[0].index, downloaded[1]);
  SnmpFreeFontList(&rest);
  EXPECT_EQ(simulator_.Fonts(0).size(), 9u);
}

TEST_F(VirtualPrinters, ADeletionThatNeverFinishesKeepsReportingPending) {
  Start({Printer("127.65.5.10", "1.3.6.1.4.1.32473.1.2.1", Storage::kDisk)});
  Send(0, sim_test::PjlDownload('0', "Stuck", sim_test::PclSoftFont("Stuck", 7)));
  printer_sim::Faults faults;
  faults.deletionsHang = true;
  simulator_.SetFaults(0, faults);
  std::vector<int32_t> downloaded = WaitForDownloadedFonts(simulator_, 0, 1);
  ASSERT_EQ(downloaded.size(), 1u);
  int32_t index = downloaded[0];
  PrinterRecord printer = RecordFor("127.65.5.10");
  DeleteContext deletion{&printer, 0};
  ASSERT_EQ(SnmpDeleteFontStart(&deletion, index), 0);
  for (int poll = 0; poll < 5; ++poll) {
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    uint32_t pending = 0;
    EXPECT_EQ(SnmpDeleteFontPoll(&deletion, index, &pending), 0);
    EXPECT_EQ(pending, 1u);
  }
  SnmpDeleteFontEnd(&deletion);
}

// A printer without the font table, read over PJL behind its password:
// the details after a list take the list's source instead of reading it
// again (which, the password gone, would find the file system locked), and
// a printer that stops answering SNMP is not asked over PJL at all. A
// wrong password is told from a missing one.
TEST_F(VirtualPrinters, APjlPrinterIsReadOnceForListAndDetailsAndNotAtAllOnceSnmpIsSilent) {
  PrinterConfig config = Printer("127.65.6.10", "1.3.6.1.4.1.32473.1.2.1", Storage::kDisk);
  printer_sim::UseRealPrinterDefaults(config.snmp);
  config.pjlPassword = 4711;
  Start({config});
  EnvOverride rawPort("GLY_RAW_PORT", std::to_string(simulator_.RawPort(0)));
  PrinterRecord printer = RecordFor("127.65.6.10");
  SnmpSetPjlPassword(printer.address, 4711);
  FontList fonts{};
  ASSERT_EQ(SnmpGetFontList(&printer, &fonts), 0);
  EXPECT_EQ(fonts.count, 8);
  SnmpFreeFontList(&fonts);

  SnmpSetPjlPassword(printer.address, 1234);
  EXPECT_EQ(SnmpGetFontList(&printer, &fonts), kSnmpFontsPjlPasswordWrong);
  SnmpSetPjlPassword(printer.address, 0);
  EXPECT_EQ(SnmpGetFontList(&printer, &fonts), kSnmpFontsFileSystemLocked);
  SnmpPrinterDetails details;
  ASSERT_EQ(SnmpGetPrinterDetails(&printer, &details), 0);
  EXPECT_EQ(details.fontSource, kFontSourcePclReadback) << "no font files: the internal fonts came first";
  ASSERT_EQ(SnmpGetPrinterDetails(&printer, &details), 0);
  EXPECT_EQ(details.fontSource, kFontSourceNone) << "asked anew, without the password";

  SnmpSetPjlPassword(printer.address, 4711);
  printer_sim::Faults silent;
  silent.snmpSilent = true;
  simulator_.SetFaults(0, silent);
  EXPECT_NE(SnmpGetFontList(&printer, &fonts), 0);
  EXPECT_EQ(fonts.count, 0);
  EXPECT_NE(SnmpGetPrinterOptions(&printer), 0);
  EXPECT_EQ(printer.storageOptions, kStorageNone) << "INFO FILESYS would have given the disk";
  SnmpSetPjlPassword(printer.address, 0);
}

}  // namespace
