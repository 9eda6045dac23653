// The print job's frame on a recording device: the page loop, what the
// progress dialog shows, Cancel, and the windows around the job.
#include "fonts/print_job.h"

#include <gtest/gtest.h>

#include "fake_clock.h"
#include "fonts/print_progress.h"
#include "print_job_fakes.h"
#include "window_fakes.h"

using namespace print_progress;

namespace {

// A job of `pages` pages that draws nothing; 0 never tells its page count.
class PagesJob final : public PrintJob {
 public:
  PagesJob(PrintJobWindows& windows, MessageBoxes& boxes, Clock& clock, int pages)
      : PrintJob(windows, boxes, clock), pages_(pages) {}

 protected:
  bool BeginPrinting(PrintDevice&, PrintInfo& info) override {
    if (pages_ > 0) info.maxPage = static_cast<uint16_t>(pages_);
    return true;
  }

 private:
  int pages_;
};

// What the progress dialog showed when each page started.
struct Shown {
  std::string percent;
  int position;
  int range;
  std::string pageText;
};

class PrintJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadBuiltResources();
    windows.device.onStartPage = [this](int) {
      ASSERT_NE(windows.progress, nullptr);
      shown.push_back({windows.progress->percentText(), windows.progress->barPosition(),
                       windows.progress->barRange(), windows.progress->pageText()});
      duringPages.push_back({windows.mainEnabled, windows.ownerEnabled});
    };
  }
  PrintOutcome Run(int pages) {
    PagesJob job(windows, boxes, clock, pages);
    return job.Run();
  }
  std::vector<std::string> PageTexts() const {
    std::vector<std::string> texts;
    for (const Shown& s : shown) texts.push_back(s.pageText);
    return texts;
  }

  FakeJobWindows windows;
  ScriptedBoxes boxes;
  FakeClock clock;
  std::vector<Shown> shown;
  std::vector<std::pair<bool, bool>> duringPages;
};

TEST_F(PrintJobTest, FourPagesShowTheShareOfPagesStartedOnTheBarAndInPercent) {
  EXPECT_EQ(Run(4), PrintOutcome::Printed);
  ASSERT_EQ(shown.size(), 4u);
  const char* percents[] = {"25 %", "50 %", "75 %", "100 %"};
  for (int page = 0; page < 4; ++page) {
    EXPECT_EQ(shown[page].percent, percents[page]);
    EXPECT_EQ(shown[page].position, page + 1);
    EXPECT_EQ(shown[page].range, 4);
  }
  EXPECT_EQ(windows.device.calls, (std::vector<std::string>{"StartDoc", "StartPage", "EndPage", "StartPage", "EndPage",
                                                            "StartPage", "EndPage", "StartPage", "EndPage", "EndDoc"}));
  EXPECT_EQ(windows.device.documentName, "Printing...");
  EXPECT_EQ(windows.device.saved, 0);
  EXPECT_EQ(windows.dialogRange, (std::pair<int, int>{1, kPageCountUnknown}));
  EXPECT_EQ(windows.progressClosed, 1);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PrintJobTest, TimeLeftIsUnknownOnPageOneThenInMinutesOrSeconds) {
  // Every page takes 20 s, so page 2 of 5 has 4 pages (80 s) to go.
  windows.device.onEndPage = [this](int) { clock.Advance(20000); };
  Run(5);
  EXPECT_EQ(PageTexts(), (std::vector<std::string>{
                             "Page 1 of 5, ?? left to end ..", "Page 2 of 5, 1 minute, 20 second left to end ..",
                             "Page 3 of 5, 60 second left to end ..", "Page 4 of 5, 40 second left to end ..",
                             "Page 5 of 5, 20 second left to end .."}));
  shown.clear();
  Run(1);
  EXPECT_EQ(PageTexts(), (std::vector<std::string>{"Page 1 of 1,  left to end .."}));
}

TEST_F(PrintJobTest, CancelDuringPageTwoOfFiveEndsTheJobOnceThatPageIsEnded) {
  windows.device.onStartPage = [this](int page) {
    if (page == 2) windows.progress->Cancel();
  };
  EXPECT_EQ(Run(5), PrintOutcome::Aborted);
  EXPECT_EQ(windows.device.calls,
            (std::vector<std::string>{"StartDoc", "StartPage", "EndPage", "StartPage", "EndPage", "AbortDoc"}));
  EXPECT_EQ(windows.progressClosed, 1);
  EXPECT_TRUE(windows.mainEnabled);

  // The application quitting while pages print ends the job the same way.
  windows.device.calls.clear();
  windows.device.onStartPage = nullptr;
  windows.quitting = true;
  EXPECT_EQ(Run(5), PrintOutcome::Aborted);
  EXPECT_EQ(windows.device.calls, (std::vector<std::string>{"StartDoc", "StartPage", "EndPage", "AbortDoc"}));
}

TEST_F(PrintJobTest, TheWindowsTakeNoInputDuringTheJobAndGetBackTheStateTheyHadBefore) {
  // The main window was disabled by the modal font list that runs the job.
  windows.mainEnabled = false;
  Run(2);
  EXPECT_EQ(duringPages, (std::vector<std::pair<bool, bool>>{{false, false}, {false, false}}));
  EXPECT_FALSE(windows.mainEnabled);
  EXPECT_TRUE(windows.ownerEnabled);

  // Also when the printer refuses the document.
  windows.mainEnabled = true;
  windows.device = RecordingPrintDevice();
  windows.device.failStartDoc = true;
  EXPECT_EQ(Run(2), PrintOutcome::Failed);
  EXPECT_EQ(boxes.shown, (std::vector<int>{kJobNotStarted}));
  EXPECT_EQ(windows.device.calls, (std::vector<std::string>{"StartDoc"}));
  EXPECT_TRUE(windows.mainEnabled);
  EXPECT_TRUE(windows.ownerEnabled);
  EXPECT_EQ(windows.progressOpened, 2);
  EXPECT_EQ(windows.progressClosed, 2);
}

TEST_F(PrintJobTest, AFailedPageAbortsTheDocumentWithoutAMessage) {
  windows.device.failStartPageAt = 2;
  EXPECT_EQ(Run(3), PrintOutcome::Failed);
  EXPECT_EQ(windows.device.calls, (std::vector<std::string>{"StartDoc", "StartPage", "EndPage", "StartPage", "AbortDoc"}));
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_TRUE(windows.ownerEnabled);
}

TEST_F(PrintJobTest, PrintingToAFileAsksForItsNameUnlessThePrintDialogGaveOne) {
  windows.printToFile = true;
  EXPECT_EQ(Run(2), PrintOutcome::NotPrinted);
  EXPECT_EQ(windows.filePrompts, 1);
  EXPECT_TRUE(windows.device.calls.empty());
  EXPECT_EQ(windows.progressOpened, 0);

  windows.promptFile = "/reports/fonts.pdf";
  EXPECT_EQ(Run(2), PrintOutcome::Printed);
  EXPECT_EQ(windows.device.outputFile, "/reports/fonts.pdf");

  windows.dialogFile = "/reports/other.pdf";
  windows.device.onStartPage = [this](int) {
    EXPECT_EQ(windows.progress->printingText(), "Printing Printing... on Office Laser on file /reports/other.pdf  ..");
    EXPECT_EQ(windows.progress->title(), "Printing Printing... in progress ..");
  };
  Run(1);
  EXPECT_EQ(windows.filePrompts, 2);
  EXPECT_EQ(windows.device.outputFile, "/reports/other.pdf");

  // A cancelled print dialog prints nothing and shows nothing.
  windows.printerChosen = false;
  windows.device.calls.clear();
  EXPECT_EQ(Run(2), PrintOutcome::NotPrinted);
  EXPECT_TRUE(windows.device.calls.empty());
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PrintJobTest, AJobThatNeverLearnsItsPageCountPrintsOnePage) {
  EXPECT_EQ(Run(0), PrintOutcome::Printed);
  EXPECT_EQ(windows.device.calls, (std::vector<std::string>{"StartDoc", "StartPage", "EndPage", "EndDoc"}));
}

}  // namespace
