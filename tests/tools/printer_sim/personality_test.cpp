// The printers of tools/printer-sim/real_printers.conf, each read whole
// with net-snmp's tools: what they serve is what real printers serve.
#include <gtest/gtest.h>

#include <cstdlib>

#include "printer_sim.h"
#include "sim_config.h"
#include "sim_test_support.h"
#include "temp_dir.h"

using namespace printer_sim;
using sim_test::RunCommand;

namespace {

enum RealPrinter : size_t { kPclLaser, kPostScriptMfp, kSuppliesOnly, kFullNvram };

class PersonalityTest : public testing::Test {
 protected:
  void SetUp() override {
    SimOptions options;
    options.configFile = std::string(std::getenv("GLY_SOURCE_DIR")) + "/tools/printer-sim/real_printers.conf";
    options.first = "127.0.0.37";
    std::vector<PrinterConfig> printers;
    std::string error;
    ASSERT_TRUE(PlanPrinters(options, {}, printers, error)) << error;
    ASSERT_EQ(printers.size(), 4u);
    for (const PrinterConfig& config : printers) ASSERT_TRUE(simulator_.AddPrinter(config, &error)) << error;
    simulator_.Start();
  }

  std::string Ask(const std::string& tool, size_t printer, const std::string& oids, const std::string& version = "2c") {
    return RunCommand(sim_test::SnmpTool(tool, "vorpal", version) + sim_test::SnmpTarget(simulator_, printer) + " " +
                      oids + " 2>&1")
        .output;
  }
  // Every variable the printer serves, one "OID = TYPE: value" line each.
  std::string WalkAll(size_t printer) { return Ask("snmpwalk", printer, ".1"); }

  Simulator simulator_;
};

bool Has(const std::string& walk, const std::string& line) { return walk.find(line + "\n") != std::string::npos; }
bool Serves(const std::string& walk, const std::string& prefix) { return walk.find(prefix) != std::string::npos; }

TEST_F(PersonalityTest, APclLaserReportsItsDiskOnlyAsADiskStorageDevice) {
  const std::string walk = WalkAll(kPclLaser);
  EXPECT_TRUE(Serves(walk, ".1.3.6.1.2.1.1.1.0 = STRING: \"Ostrel NetLink 610n ETHERNET MULTI-ENVIRONMENT,"))
      << walk;
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.25.3.2.1.2.1 = OID: .1.3.6.1.2.1.25.3.1.5"));
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.25.3.2.1.3.1 = STRING: \"Ostrel LaserLine 4100\""));
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.25.3.2.1.2.2 = OID: .1.3.6.1.2.1.25.3.1.6"));
  // Read-write, a hard disk, not removable, 8 GB in KB.
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.25.3.6.1.1.2 = INTEGER: 1"));
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.25.3.6.1.2.2 = INTEGER: 3"));
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.25.3.6.1.3.2 = INTEGER: 2"));
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.25.3.6.1.4.2 = INTEGER: 8388608"));
  EXPECT_FALSE(Serves(walk, ".1.3.6.1.2.1.25.2.3.1."));
  EXPECT_TRUE(Has(walk, ".1.3.6.1.4.1.2699.1.2.1.2.1.1.3.1 = STRING: "
                        "\"MFG:Ostrel;MDL:LaserLine 4100;CMD:PJL,PCL,PCLXL;CLS:PRINTER;DES:Ostrel LaserLine 4100;\""));
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.43.5.1.1.17.1 = STRING: \"OST7K20931\""));
  // No font MIB: its objects are not there at all.
  EXPECT_FALSE(Serves(walk, ".1.3.6.1.4.1.32473.2"));
  EXPECT_NE(Ask("snmpget", kPclLaser, ".1.3.6.1.4.1.32473.2.1.1.0").find("No Such Object"), std::string::npos);
}

TEST_F(PersonalityTest, APostScriptMfpReportsBothTablesAndEveryToolReadsThemAlike) {
  const std::string walk = WalkAll(kPostScriptMfp);
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.25.2.3.1.4.1 = INTEGER: 4096"));
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.25.2.3.1.5.1 = INTEGER: 4194304")) << walk;
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.25.2.3.1.2.2 = OID: .1.3.6.1.2.1.25.2.1.9"));
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.25.2.3.1.5.2 = INTEGER: 16384"));
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.25.3.2.1.2.3 = OID: .1.3.6.1.2.1.25.3.1.6"));
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.25.3.6.1.4.3 = INTEGER: 65536"));
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.25.3.2.1.3.1 = STRING: \"Kestrava MF 5250 PS\""));

  // The whole tree reads the same with GETNEXT in v1 and v2c and with
  // GETBULK, but for the time (and the tools end it each in their own words).
  auto rows = [](std::string all) {
    all = all.substr(0, all.rfind('\n', all.size() - 2) + 1);
    size_t upTime = all.find(".1.3.6.1.2.1.1.3.0 = ");
    return all.erase(upTime, all.find('\n', upTime) - upTime);
  };
  EXPECT_EQ(rows(Ask("snmpbulkwalk", kPostScriptMfp, ".1")), rows(walk));
  EXPECT_EQ(rows(Ask("snmpwalk", kPostScriptMfp, ".1", "1")), rows(walk));

  // A download to the disk uses a unit of 4096 bytes; its font is kept
  // though no font table shows it.
  simulator_.RunJob(kPostScriptMfp, sim_test::PostScriptDownload(false, "Serif", sim_test::Type1FontText("Serif")));
  EXPECT_EQ(Ask("snmpget", kPostScriptMfp, ".1.3.6.1.2.1.25.2.3.1.6.1"), ".1.3.6.1.2.1.25.2.3.1.6.1 = INTEGER: 1\n");
  EXPECT_EQ(simulator_.Fonts(kPostScriptMfp).back().name, "Serif");
}

TEST_F(PersonalityTest, ADeviceWithOnlyPrinterMibRowsServesNoHostResources) {
  const std::string walk = WalkAll(kSuppliesOnly);
  EXPECT_FALSE(Serves(walk, ".1.3.6.1.2.1.25.")) << walk;
  EXPECT_FALSE(Serves(walk, ".1.3.6.1.4.1.2699."));
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.43.5.1.1.17.1 = STRING: \"BW220-88013\""));
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.43.10.2.1.2.1.1 = INTEGER: 4"));  // electrophotographic laser
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.43.11.1.1.5.1.1 = INTEGER: 3"));  // toner
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.43.11.1.1.6.1.1 = STRING: \"Black Toner Cartridge\""));
  EXPECT_TRUE(Has(walk, ".1.3.6.1.2.1.43.11.1.1.9.1.1 = INTEGER: 62"));
  EXPECT_NE(Ask("snmpget", kSuppliesOnly, ".1.3.6.1.2.1.25.3.2.1.2.1").find("No Such Object"), std::string::npos);
}

TEST_F(PersonalityTest, ASmallPrinterReportsAFullNvramOfTwoUnits) {
  const std::string storage = Ask("snmpwalk", kFullNvram, ".1.3.6.1.2.1.25.2.3.1");
  EXPECT_EQ(storage,
            ".1.3.6.1.2.1.25.2.3.1.1.3 = INTEGER: 3\n"
            ".1.3.6.1.2.1.25.2.3.1.2.3 = OID: .1.3.6.1.2.1.25.2.1.1\n"
            ".1.3.6.1.2.1.25.2.3.1.3.3 = STRING: \"NVRAM\"\n"
            ".1.3.6.1.2.1.25.2.3.1.4.3 = INTEGER: 1024\n"
            ".1.3.6.1.2.1.25.2.3.1.5.3 = INTEGER: 2\n"
            ".1.3.6.1.2.1.25.2.3.1.6.3 = INTEGER: 2\n"
            ".1.3.6.1.2.1.25.2.3.1.7.3 = Counter32: 0\n");
  EXPECT_NE(Ask("snmpget", kFullNvram, ".1.3.6.1.2.1.25.3.2.1.3.1").find("\"Ostrel LaserLine 1020\""),
            std::string::npos);
}

TEST(PersonalityKeysTest, ValuesTakeTrailingCommentsAndABadOneNamesItsLine) {
  const TempDir scratch;
  SimOptions options;
  options.configFile = scratch.path() + "/printers.conf";
  sim_test::WriteFile(options.configFile, "[printer]\nreal = yes\nstorage-report = both   # and device rows\n");
  std::vector<PrinterConfig> printers;
  std::string error;
  ASSERT_TRUE(PlanPrinters(options, {}, printers, error)) << error;
  EXPECT_EQ(printers[0].snmp.storageReport, StorageReport::kBoth);
  EXPECT_FALSE(printers[0].snmp.fontMib);

  sim_test::WriteFile(options.configFile, "[printer]\nreal = yes\nstorage-report = tape\n");
  EXPECT_FALSE(PlanPrinters(options, {}, printers, error));
  EXPECT_EQ(error, options.configFile + ":3: storage-report must be storage, device or both");
}

}  // namespace

namespace {

// The AppSocket channel's PJL personality, as a [printer] section gives it.
TEST(PjlPersonalityKeys, AreReadFromAPrinterSectionAndBadValuesNamed) {
  TempDir dir;
  auto plan = [&dir](const std::string& keys, std::vector<PrinterConfig>& printers, std::string& error) {
    const std::string file = dir.file("printers.conf");
    sim_test::WriteFile(file, "[printer]\naddress = 127.0.0.90\n" + keys);
    SimOptions options;
    options.configFile = file;
    printers.clear();
    return PlanPrinters(options, {}, printers, error);
  };
  std::vector<PrinterConfig> printers;
  std::string error;
  ASSERT_TRUE(plan("pjl-line-end = crcrlf\npjl-echo-first = yes\npjl-filesys-table = blanks\n"
                   "pjl-directory-page = 3\npjl-late-answer-ms = 900\n",
                   printers, error))
      << error;
  ASSERT_EQ(printers.size(), 1u);
  EXPECT_EQ(printers[0].pjl.lineEnd, "\r\r\n");
  EXPECT_TRUE(printers[0].pjl.echoFirst);
  EXPECT_EQ(printers[0].pjl.table, PjlPersonality::Table::kBlanks);
  EXPECT_EQ(printers[0].pjl.directoryPage, 3u);
  EXPECT_EQ(printers[0].pjl.lateAnswerMs, 900u);
  EXPECT_FALSE(plan("pjl-line-end = cr\n", printers, error));
  EXPECT_NE(error.find("pjl-line-end"), std::string::npos) << error;
}

}  // namespace
