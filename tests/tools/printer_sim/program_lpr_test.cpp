// The program's own LPR client against the virtual printer: what it sends
// is what the printer keeps and applies.
#include <gtest/gtest.h>

#include <filesystem>

#include "download/lpr.h"
#include "printer_sim.h"
#include "sim_test_support.h"
#include "temp_dir.h"

using namespace printer_sim;

namespace {

// Pacing waits cost nothing here: the printer acknowledges every step.
class NoWaitClock : public Clock {
 public:
  uint64_t NowMs() override { return now_; }
  void SleepMs(uint32_t ms) override { now_ += ms; }

 private:
  uint64_t now_ = 0;
};

TEST(ProgramLprTest, TheProgramsJobsReachTheFontTable) {
  Simulator simulator;
  PrinterConfig config;
  config.address = "127.0.0.45";
  size_t printer = *simulator.AddPrinter(config);
  simulator.Start();

  const TempDir scratchDir;
  const std::string& scratch = scratchDir.path();
  const std::string job = sim_test::PjlDownload('0', "Courier10", sim_test::PclSoftFont("Courier 10", 9)) +
                          sim_test::PjlDownload('1', "Gothic", sim_test::PclSoftFont("Gothic", 10));
  sim_test::WriteFile(scratch + "/tmpPrintFile.tmp", job);
  NoWaitClock clock;
  LprSettings settings;
  settings.clock = &clock;
  settings.port = simulator.LpdPort(printer);
  settings.noProgressMs = 5000;
  EXPECT_EQ(SubmitLprJob("127.0.0.45", *OpenShippedJobFile(scratch + "/tmpPrintFile.tmp"), "GLY", 1234, settings), 0);

  std::vector<Job> jobs = simulator.Jobs(printer);
  ASSERT_EQ(jobs.size(), 1u);
  ASSERT_EQ(jobs[0].files.size(), 2u);
  EXPECT_EQ(jobs[0].files[0].bytes, "HGLY\nPGLY\nfdfA234GLY\nUdfA234GLY\nN\\tmpPrintFile.tmp\n");
  EXPECT_EQ(jobs[0].files[1].bytes, job);
  std::vector<Font> fonts = simulator.Fonts(printer);
  ASSERT_GE(fonts.size(), 2u);
  EXPECT_EQ(fonts[fonts.size() - 2].name, "Courier 10");
  EXPECT_EQ(fonts.back().location, kLocationFlash);

  // A refusal at a step reaches the client as that step's failure.
  Faults faults;
  faults.lpdFailure = LpdFailure::kNegativeAck;
  faults.lpdFailureStep = LpdStep::kDataFile;
  simulator.SetFaults(printer, faults);
  EXPECT_EQ(SubmitLprJob("127.0.0.45", *OpenShippedJobFile(scratch + "/tmpPrintFile.tmp"), "GLY", 1, settings),
            LPR_ERR_DATA_FILE_REFUSED);
}

}  // namespace
