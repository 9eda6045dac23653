#include "fonts/delete_fonts_logic.h"

#include <gtest/gtest.h>

#include <atomic>

#include "fake_clock.h"
#include "font_test_support.h"
#include "fonts/font_list_ids.h"
#include "window_fakes.h"

using namespace delete_fonts;

namespace {

class FakeDeleteHost final : public DeleteFontsHost {
 public:
  void StateChanged() override {}
  void Close(int result) override { closed.push_back(result); }
  std::vector<int> closed;
};

class DeleteFontsLogicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadBuiltResources();
    snmp_double::Reset();
    fonts = {MakeFontEntry("D1", 11, kFontTypePcl, kFontDownloaded, kFontOnHardDisk),
             MakeFontEntry("D2", 12, kFontTypePostScript, kFontDownloaded, kFontOnHardDisk),
             MakeFontEntry("D3", 13, 9, kFontDownloaded, kFontOnHardDisk)};
    AddPrinterWithFonts(printer, fonts);
  }
  void TearDown() override {
    logic.reset();
    snmp_double::Reset();
  }
  void Start() {
    ui.current = true;
    logic = std::make_unique<DeleteFontsLogic>(host, boxes, ui, clock, printer, fonts);
    logic->Initialize();
  }
  // Runs the worker's reports until its summary has been shown.
  void RunToTheEnd() {
    while (!logic->runOver()) ASSERT_TRUE(ui.AwaitAndRunPosted());
  }
  std::vector<DeleteStatus> Statuses() const { return logic->statuses(); }

  PrinterRecord printer = MakePrinter(0x0A000005u, "LASER5", "Model 40");
  std::vector<FontEntry> fonts;
  FakeDeleteHost host;
  ScriptedBoxes boxes;
  FakeUiThread ui;
  FakeClock clock;
  std::unique_ptr<DeleteFontsLogic> logic;
};

using S = DeleteStatus;

TEST_F(DeleteFontsLogicTest, DeletesEveryFontAndSaysSo) {
  snmp_double::SetDeletion(printer.address, 12, {0, 3, false, 7});
  Start();
  EXPECT_EQ(logic->printerText(), "LASER5 (Model 40) 10.0.0.5");
  RunToTheEnd();
  EXPECT_EQ(Statuses(), (std::vector<S>{S::Deleted, S::Deleted, S::Deleted}));
  EXPECT_EQ(boxes.shown, std::vector<int>{kAllDeleted});
  EXPECT_EQ(logic->deletedCount(), 3);
  EXPECT_EQ(logic->runState(), kDeleteFinished);
  EXPECT_EQ(snmp_double::CallCount("SnmpDeleteFontEnd"), 1);
  // One initial wait per font, and three waits after the pending polls.
  EXPECT_EQ(clock.sleptMs(), 3 * kFirstPollDelayMs + 3 * kPollIntervalMs);
  EXPECT_TRUE(snmp_double::GetDevice(printer.address).fonts.empty());
  // The run is over: Cancel and Close both close.
  logic->OnCancel();
  logic->OnClose();
  EXPECT_EQ(host.closed, (std::vector<int>{IDCANCEL, IDOK}));
}

TEST_F(DeleteFontsLogicTest, AFontThatNeverGoesTimesOutAfterSixHundredPolls) {
  snmp_double::SetDeletion(printer.address, 11, {0, 0, true, 0});
  Start();
  RunToTheEnd();
  EXPECT_EQ(Statuses(), (std::vector<S>{S::TimedOut, S::NotReached, S::NotReached}));
  EXPECT_EQ(snmp_double::CallCount("SnmpDeleteFontPoll"), kMaxPolls);
  EXPECT_EQ(clock.sleptMs(), 1000u + 599u * 150u);  // about 91 s
  EXPECT_EQ(boxes.shown, std::vector<int>{kNoneDeleted});
  EXPECT_EQ(logic->runState(), kDeleteFinished);
}

TEST_F(DeleteFontsLogicTest, ARefusedStartEndsTheRunWithThoseDeletedBefore) {
  snmp_double::SetDeletion(printer.address, 12, {4, 0, false, 0});
  Start();
  RunToTheEnd();
  EXPECT_EQ(Statuses(), (std::vector<S>{S::Deleted, S::Deleting, S::NotReached}));
  EXPECT_EQ(boxes.shown, std::vector<int>{kSomeDeleted});
  EXPECT_EQ(snmp_double::CallCount("SnmpDeleteFontEnd"), 1);
}

// A PJL deletion ended by its bounds says which before the summary.
TEST_F(DeleteFontsLogicTest, AStartCutShortByThePrintersSlownessSaysSo) {
  for (const auto& [result, text] : {std::pair{kSnmpPjlDeadlinePassed, font_list::kPjlDeadlinePassedText},
                                     std::pair{kSnmpPjlTooManyRequests, font_list::kPjlTooManyRequestsText}}) {
    SetUp();
    boxes.shown.clear();
    snmp_double::SetDeletion(printer.address, 11, {result, 0, false, 0});
    Start();
    RunToTheEnd();
    EXPECT_EQ(Statuses(), (std::vector<S>{S::Deleting, S::NotReached, S::NotReached}));
    EXPECT_EQ(boxes.shown, (std::vector<int>{text, kNoneDeleted}));
    logic.reset();
  }
}

TEST_F(DeleteFontsLogicTest, CloseDuringTheSecondFontAnsweredYesStopsAfterIt) {
  // The user presses Close while the second font is being polled and
  // answers Yes; the worker goes on polling meanwhile.
  std::atomic<int> polls{0};
  boxes.answers = {IDYES};
  clock.onSleep = [&](uint32_t ms) {
    if (ms != kPollIntervalMs || ++polls != 1) return;
    ui.Post([this] { logic->OnClose(); });
    while (logic->runState() != kDeleteStopRequested) std::this_thread::yield();
  };
  snmp_double::SetDeletion(printer.address, 12, {0, 2, false, 0});
  Start();
  RunToTheEnd();
  // The user's own stop is told as such, not as the printer's refusal.
  EXPECT_EQ(Statuses(), (std::vector<S>{S::Deleted, S::Deleted, S::NotReached}));
  EXPECT_EQ(boxes.shown, (std::vector<int>{kStopQuestion, ScriptedBoxes::kTextShown}));
  EXPECT_EQ(boxes.texts, std::vector<std::string>{"Stopped: 2 of 3 fonts deleted."});
  EXPECT_EQ(logic->runState(), kDeleteStopRequested);
  // After a stop Cancel does nothing and Close closes.
  logic->OnCancel();
  EXPECT_TRUE(host.closed.empty());
  logic->OnClose();
  EXPECT_EQ(host.closed, std::vector<int>{IDOK});
}

// Answers the stop question only once the worker has been seen waiting
// between fonts, then with No.
class AnswerWhenHeld final : public MessageBoxes {
 public:
  int ShowMessage(const std::string&, unsigned) override { return IDOK; }
  int Show(int id, unsigned) override {
    shown.push_back(id);
    if (id != kStopQuestion) return IDOK;
    asked = true;
    while (!held) std::this_thread::yield();
    return IDNO;
  }
  std::vector<int> shown;
  std::atomic<bool> asked{false}, held{false};
};

TEST_F(DeleteFontsLogicTest, PauseHoldsTheWorkerBetweenFontsAndNoResumes) {
  AnswerWhenHeld answers;
  clock.onSleep = [&](uint32_t ms) {
    // The first font's initial wait lasts until the question is on screen.
    if (ms == kFirstPollDelayMs)
      while (!answers.asked) std::this_thread::yield();
    if (ms == kPausedLookIntervalMs) answers.held = true;
  };
  logic = std::make_unique<DeleteFontsLogic>(host, answers, ui, clock, printer, fonts);
  logic->Initialize();
  logic->OnClose();
  EXPECT_EQ(logic->runState(), kDeleteRunning);
  RunToTheEnd();
  EXPECT_EQ(Statuses(), (std::vector<S>{S::Deleted, S::Deleted, S::Deleted}));
  EXPECT_EQ(answers.shown, (std::vector<int>{kStopQuestion, kAllDeleted}));
  EXPECT_EQ(logic->runState(), kDeleteFinished);
}

TEST_F(DeleteFontsLogicTest, CancelDuringARunStopsWithoutAQuestionAndCloseWaitsForTheSummary) {
  std::atomic<bool> pressed{false};
  clock.onSleep = [&](uint32_t ms) {
    if (ms == kFirstPollDelayMs)
      while (!pressed) std::this_thread::yield();
  };
  Start();
  logic->OnCancel();
  EXPECT_EQ(logic->runState(), kDeleteStopRequested);
  // Close while the font in progress is still polled: the dialog closes
  // only after the worker has ended and its summary was shown.
  logic->OnClose();
  pressed = true;
  EXPECT_TRUE(host.closed.empty());
  RunToTheEnd();
  EXPECT_EQ(boxes.texts, std::vector<std::string>{"Stopped: 1 of 3 fonts deleted."});
  EXPECT_EQ(host.closed, std::vector<int>{IDOK});
  EXPECT_EQ(Statuses(), (std::vector<S>{S::Deleted, S::NotReached, S::NotReached}));
}

TEST_F(DeleteFontsLogicTest, DestroyingTheDialogMidRunStopsAndWaitsForTheWorker) {
  std::atomic<DeleteFontsLogic*> running{nullptr};
  clock.onSleep = [&](uint32_t ms) {
    if (ms == kFirstPollDelayMs)
      while (running.load()->runState() != kDeleteStopRequested) std::this_thread::yield();
  };
  snmp_double::SetDeletion(printer.address, 11, {0, 50, false, 0});
  logic = std::make_unique<DeleteFontsLogic>(host, boxes, ui, clock, printer, fonts);
  running = logic.get();
  logic->Initialize();
  logic.reset();
  EXPECT_EQ(snmp_double::CallCount("SnmpDeleteFontStart"), 1);
  EXPECT_EQ(snmp_double::CallCount("SnmpDeleteFontPoll"), 51);
  EXPECT_EQ(snmp_double::CallCount("SnmpDeleteFontEnd"), 1);
  ui.RunPosted();  // reports of a gone dialog are dropped
  EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
