// What scripts and administrators rely on whatever the command: output that
// could not be written fails the run, targets as net-snmp's tools take
// them, short options, typed JSON and the exchange trace.
#include <fstream>

#include "exchange_trace.h"
#include "glyctl/command_line.h"
#include "glyctl/exit_codes.h"
#include "glyctl/printer_target.h"
#include "glyctl_fixture.h"

namespace {

class GlyctlConventionsTest : public GlyctlTest {
 protected:
  void SetUp() override {
    printer_sim::PrinterConfig config;
    config.postScriptFonts = 2;
    config.pclFonts = 1;
    StartPrinters("127.88.40", {config});
  }
};

TEST_F(GlyctlConventionsTest, OutputThatCannotBeWrittenFailsTheRun) {
  const sim_test::CommandResult full =
      sim_test::RunCommand(GlyctlProgram() + " fonts 127.88.40.10 --format csv 2>&1 >/dev/full");
  EXPECT_EQ(full.exitCode, kExitCannotWrite) << full.output;
  EXPECT_NE(full.output.find("cannot write standard output"), std::string::npos) << full.output;
  EXPECT_EQ(sim_test::RunCommand(GlyctlProgram() + " --help >/dev/full 2>&1").exitCode, kExitCannotWrite);
}

}  // namespace

// localhost, with the SNMP port after it or in -p, and net-snmp's -t and -r;
// the printer is shown by its address.
TEST_F(GlyctlTest, PrintersByHostNameAndPortWithShortOptions) {
  StartPrinters("127.0.0", {printer_sim::PrinterConfig{}}, 1);
  const std::string port = std::to_string(snmpPort);
  const EnvOverride elsewhere("GLY_SNMP_PORT", "9");

  const GlyctlResult byHostPort = Run({"add", "localhost:" + port, "-t", "0.5", "-r1"});
  EXPECT_EQ(byHostPort.status, kExitOk) << byHostPort.err;
  EXPECT_EQ(byHostPort.out.find("127.0.0.1  "), byHostPort.out.find('\n') + 1) << byHostPort.out;
  EXPECT_EQ(Run({"fonts", "localhost", "-p", port, "--format", "csv"}).status, kExitOk);
  EXPECT_EQ(Run({"fonts", "localhost", "--snmp-port=" + port, "--snmp-version", "1"}).status, kExitOk);
  // Without the port, the library's (9) is asked and nothing answers there.
  EXPECT_EQ(Run({"fonts", "localhost", "-t", "0.05", "-r", "0"}).status, kExitNoPrinter);

  const GlyctlResult badPort = Run({"fonts", "localhost:70000"});
  EXPECT_EQ(badPort.status, kExitUsage);
  EXPECT_NE(badPort.err.find("port"), std::string::npos) << badPort.err;
  EXPECT_EQ(Run({"fonts", "localhost", "-r", "11"}).status, kExitUsage);
  EXPECT_EQ(Run({"fonts", "localhost", "-t"}).err, "glyctl: --timeout needs a value; see glyctl fonts --help\n");
  EXPECT_EQ(Run({"add", "127.0.1"}).status, kExitUsage);  // no resolver's short form
  EXPECT_EQ(Run({"add", "no-such-host.invalid"}).status, kExitUsage);
}

// A list of printers ends at the first word that names a file, so the
// files may follow it.
TEST(GlyctlCommandLineTest, AListOptionTakesOnlyWhatLooksLikeItsValues) {
  TempDir scratch;
  const std::string file = scratch.file("font.sfp");
  sim_test::WriteFile(file, "x");
  std::string error;
  const std::vector<OptionRule> rules = {{"printers", OptionRule::kList, '\0', LooksLikePrinterTarget},
                                         {"view", OptionRule::kValue, 'v'}};
  const std::optional<CommandLine> line =
      ParseCommandLine({"--printers", "10.0.0.1", "host:1161", file, "-v2"}, rules, error);
  ASSERT_TRUE(line) << error;
  EXPECT_EQ(line->Values("printers"), (std::vector<std::string>{"10.0.0.1", "host:1161"}));
  EXPECT_EQ(line->positional, std::vector<std::string>{file});
  EXPECT_EQ(line->Value("view"), "2");

  EXPECT_FALSE(ParseCommandLine({"--printers", file}, rules, error));
  EXPECT_EQ(error, "--printers needs one or more values, and " + file + " is none");
  EXPECT_FALSE(ParseCommandLine({"-x"}, rules, error));
  EXPECT_EQ(error, "unknown option -x");
}

// Every SNMP request and its answer, one line each, the community masked.
TEST_F(GlyctlConventionsTest, TheTraceShowsEachExchangeWithoutItsSecrets) {
  const std::string file = scratch.file("trace.log");
  const GlyctlResult listed = Run({"fonts", "127.88.40.10", "--community", "vorpal", "--trace-file", file});
  EXPECT_EQ(listed.status, kExitOk) << listed.err;
  std::ifstream read(file);
  std::string line;
  int requests = 0, answers = 0;
  while (std::getline(read, line)) {
    EXPECT_EQ(line.find("vorpal"), std::string::npos) << line;
    EXPECT_TRUE(line.find_first_of("\r\x1b") == std::string::npos) << line;
    if (line.find(" snmp 127.88.40.10:" + std::to_string(snmpPort) + " > ") != std::string::npos) {
      ++requests;
      EXPECT_NE(line.find(" community=****"), std::string::npos) << line;
    }
    if (line.find(" snmp 127.88.40.10:" + std::to_string(snmpPort) + " < RESPONSE") != std::string::npos) ++answers;
  }
  EXPECT_GT(requests, 0);
  EXPECT_EQ(answers, requests);
  EXPECT_EQ(MaskAfter("@PJL JOB PASSWORD=4711\r\n@PJL ECHO x", "PASSWORD="), "@PJL JOB PASSWORD=****\r\n@PJL ECHO x");
  EXPECT_EQ(TraceText("a\x1b[2Jb\n", 200), "a\\x1b[2Jb\\n");
}
