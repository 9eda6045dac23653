// check and ensure against virtual printers that hold different parts of a
// set: read from their font table or over PJL, one with its file system
// closed, one that refuses what it is sent, one silent.
#include "glyctl/exit_codes.h"
#include "glyctl_fixture.h"

namespace {

using printer_sim::PrinterConfig;

class FleetGlyctlTest : public GlyctlTest {
 protected:
  // The printers, at 127.88.46.10 and on:
  //   .10 font table, Gothic       .11 PJL, Gothic          .12 PJL, an older Gothic
  //   .13 font table, nothing      .14 PJL, disk full       .15 PJL, file system closed
  //   .16 silent
  void SetUp() override {
    std::vector<PrinterConfig> configs(7);
    for (size_t i : {1, 2, 4, 5}) printer_sim::UseRealPrinterDefaults(configs[i].snmp);
    configs[4].diskFull = true;
    configs[5].fileSystemAccess = false;
    StartPrinters("127.88.46", configs);
    printer_sim::Faults silent;
    silent.snmpSilent = true;
    simulator.SetFaults(6, silent);

    gothic = scratch.file("Gothic.sfp");
    sim_test::WriteFile(gothic, sim_test::PclSoftFont("Gothic", 12));
    for (size_t printer : {0, 1}) simulator.RunJob(printer, sim_test::PjlDownload('0', "Gothic", sim_test::PclSoftFont("Gothic", 12)));
    // An older Gothic: more characters, another size.
    simulator.RunJob(2, sim_test::PjlDownload('0', "Gothic", sim_test::PclSoftFont("Gothic", 12) + "\x1b*c66E\x1b(s20W" + std::string(20, 'U')));
    const std::string macro = scratch.file("logo.pcl");
    sim_test::WriteFile(macro, "\x1b*p0x0Y\x1b*c10a10b0P");
    set = scratch.file("floor2.set");
    sim_test::WriteFile(set, "resource Gothic.sfp\nresource " + kType1Pfb +
                                 "\nresource logo.pcl macro-id=7\nprinter 127.88.46.10 127.88.46.11 127.88.46.12"
                                 " 127.88.46.13 127.88.46.14 127.88.46.15 127.88.46.16\n");
  }

  // The rows for one printer of a CSV output as ParsedBy gives it,
  // "resource|holding|note".
  static std::vector<std::string> RowsOf(const std::string& parsed, const std::string& printer) {
    std::vector<std::string> rows;
    std::istringstream lines(parsed);
    for (std::string line; std::getline(lines, line);)
      if (line.starts_with(printer + "|")) rows.push_back(line.substr(printer.size() + 1));
    return rows;
  }

  std::string gothic;
  std::string set;
};

TEST_F(FleetGlyctlTest, CheckTellsWhatEachPrinterHolds) {
  const GlyctlResult result = Run({"check", set, "--parallel", "4", "--format", "csv"});
  EXPECT_EQ(result.status, kExitNoPrinter) << result.err;
  const std::string parsed = ParsedBy("csv", result.out);
  const std::string ps = "NimbusSans-Regular.pfb";
  const std::vector<std::vector<std::string>> expected = {
      {"Gothic.sfp|held|", ps + "|missing|", "logo.pcl|missing|"},
      {"Gothic.sfp|held|", ps + "|missing|", "logo.pcl|missing|"},
      {"Gothic.sfp|other version|", ps + "|missing|", "logo.pcl|missing|"},
      {"Gothic.sfp|missing|", ps + "|missing|", "logo.pcl|missing|"},
      {"Gothic.sfp|missing|", ps + "|missing|", "logo.pcl|missing|"},
  };
  for (size_t p = 0; p < expected.size(); ++p)
    EXPECT_EQ(RowsOf(parsed, "127.88.46." + std::to_string(10 + p)), expected[p]) << p;
  for (const char* closed : {"127.88.46.15", "127.88.46.16"}) {
    const std::vector<std::string> rows = RowsOf(parsed, closed);
    ASSERT_EQ(rows.size(), 3u);
    for (const std::string& row : rows) EXPECT_NE(row.find("|unknown|"), std::string::npos) << closed << row;
  }

  // Without the silent printer, what is missing decides; with only .10 and its font, all is held.
  EXPECT_EQ(Run({"check", gothic, "--printers", "127.88.46.10", "127.88.46.13"}).status, kExitPartly);
  const GlyctlResult held = Run({"check", gothic, "--printers", "127.88.46.10", "--format", "json"});
  EXPECT_EQ(held.status, kExitOk) << held.err;
  EXPECT_EQ(ParsedBy("json", held.out), "127.88.46.10|Gothic.sfp|held|\n");
}

TEST_F(FleetGlyctlTest, EnsureSendsOnlyWhatIsLackingAndASecondRunSendsNothing) {
  std::vector<size_t> jobsBefore;
  for (size_t p = 0; p < 7; ++p) jobsBefore.push_back(simulator.Jobs(p).size());
  const GlyctlResult result = Run({"ensure", set, "--parallel", "3", "--format", "csv"});
  EXPECT_EQ(result.status, kExitNoPrinter) << result.err;
  const std::string parsed = ParsedBy("csv", result.out);
  // .10 and .11 lacked the PostScript font and the macro; .12 to .14 all three.
  const size_t sent[] = {2, 2, 3, 3, 3, 0, 0};
  for (size_t p = 0; p < 7; ++p) EXPECT_EQ(simulator.Jobs(p).size(), jobsBefore[p] + sent[p]) << p;
  for (size_t p = 0; p < 4; ++p) {
    for (const std::string& row : RowsOf(parsed, "127.88.46." + std::to_string(10 + p)))
      EXPECT_NE(row.find("|held|"), std::string::npos) << p << ": " << row;
  }
  EXPECT_EQ(simulator.StoredMacros(3), std::set<int32_t>{7});
  // The full disk took the jobs and kept nothing: still missing, and why.
  for (const std::string& row : RowsOf(parsed, "127.88.46.14"))
    EXPECT_TRUE(row.ends_with("|missing|Refused by the printer|Refused by the printer")) << row;

  std::vector<size_t> jobsAfter;
  for (size_t p = 0; p < 7; ++p) jobsAfter.push_back(simulator.Jobs(p).size());
  const GlyctlResult second = Run({"ensure", set, "--parallel", "3"});
  EXPECT_EQ(second.status, kExitNoPrinter);
  for (size_t p = 0; p < 4; ++p) EXPECT_EQ(simulator.Jobs(p).size(), jobsAfter[p]) << p;
}

}  // namespace
