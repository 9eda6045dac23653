// What scripts and administrators rely on whatever the command: output that
// could not be written fails the run, targets as net-snmp's tools take
// them, short options, typed JSON and the exchange trace.
#include "glyctl/exit_codes.h"
#include "glyctl_fixture.h"

namespace {

std::string Glyctl() { return std::string(getenv("GLY_BINARY_DIR")) + "/glyctl"; }

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
      sim_test::RunCommand(Glyctl() + " fonts 127.88.40.10 --format csv 2>&1 >/dev/full");
  EXPECT_EQ(full.exitCode, kExitCannotWrite) << full.output;
  EXPECT_NE(full.output.find("cannot write standard output"), std::string::npos) << full.output;
  EXPECT_EQ(sim_test::RunCommand(Glyctl() + " --help >/dev/full 2>&1").exitCode, kExitCannotWrite);
}

}  // namespace
