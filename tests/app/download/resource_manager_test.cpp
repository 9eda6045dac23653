// The Resource Manager's logic and its download worker, with a fake clock,
// a converter that knows fonts by extension and a recording LPR submitter.
// The worker runs on its own thread; the test's thread is the
// user-interface thread and runs what the worker posts.
#include "download/resource_manager_logic.h"

#include <gtest/gtest.h>

#include <memory>

#include "download/resource_manager_ids.h"
#include "fake_clock.h"
#include "resource_manager_support.h"
#include "snmp_double.h"
#include "temp_dir.h"
#include "window_fakes.h"

namespace {

using namespace resource_manager;
using Texts = std::vector<std::string>;

constexpr uint32_t kFirst = 0x7F000101u, kNoStorage = 0x7F000102u, kSecond = 0x7F000103u;

// The test's thread is the user-interface thread; what is posted is
// counted, for a test that must know the worker is waiting.
class CountingUiThread final : public UiThread {
 public:
  explicit CountingUiThread(FakeUiThread& inner) : inner_(inner) {}
  bool IsCurrent() const override { return std::this_thread::get_id() == uiThread_; }
  void Post(std::function<void()> call) override {
    inner_.Post(std::move(call));
    ++posts;
  }
  std::atomic<int> posts{0};

 private:
  FakeUiThread& inner_;
  std::thread::id uiThread_ = std::this_thread::get_id();
};

class ResourceManagerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { LoadBuiltResources(); }
  ResourceManagerTest() {
    std::filesystem::create_directory(appDir);
    std::filesystem::permissions(appDir, std::filesystem::perms::owner_all);
    printers = {MakeTestPrinter(kFirst, kStorageHardDisk, "ONE"), MakeTestPrinter(kNoStorage, kStorageNone, "NONE"),
                MakeTestPrinter(kSecond, kStorageBoth, "TWO")};
    // Both printers hold what they were sent.
    snmp_double::Reset();
    for (uint32_t address : {kFirst, kSecond}) {
      snmp_double::Device device;
      device.info.address = address;
      device.fontTable = false;
      device.storedFileResult = kSnmpFileNotStored;
      device.storedContent = [this, address](const std::string& path) { return HeldBy(address, path); };
      snmp_double::AddDevice(device);
    }
  }
  ~ResourceManagerTest() override {
    logic.reset();
    ui.RunPosted();  // what the worker posted last finds the logic gone
  }

  void Open(std::vector<int> targetIndexes = {0, 1, 2}) {
    std::vector<PrinterRecord*> all, targets;
    for (auto& printer : printers) all.push_back(&printer);
    for (int i : targetIndexes) targets.push_back(&printers[static_cast<size_t>(i)]);
    logic = std::make_unique<ResourceManagerLogic>(
        host, ResourceManagerServices{boxes, questions, counted, converter, clock, submitter.Function(), appDir},
        targets, all);
    host.logic = logic.get();
  }
  // Files in the scratch folder, added to the list in this order.
  void Add(const Texts& names) {
    std::vector<std::string> paths;
    for (const auto& name : names) {
      paths.push_back(fonts.file(name));
      WriteBytes(paths.back(), "font " + name + "\n");
    }
    logic->AddFiles(paths);
  }
  // Runs what the worker posts until it has ended.
  void RunDownload() {
    while (logic->downloading()) ASSERT_TRUE(ui.AwaitAndRunPosted()) << "the worker hangs";
  }
  // The cells of the last printer, or the status column without a download.
  Texts Statuses() const { return Cells(static_cast<int>(logic->results().size()) - 1); }
  Texts Cells(int printer) const { return CellTexts(*logic, printer); }
  // What a printer that stores its jobs holds at `path`: the bytes the last
  // job sent to `address` stored there (a PJL download, or a PostScript
  // one by the name in the path).
  std::optional<std::string> HeldBy(uint32_t address, const std::string& path) {
    const std::string dotted = "127.0.1." + std::to_string(address & 0xFF);
    const std::string name = path.substr(path.rfind('\\') + 1);
    std::optional<std::string> held;
    for (const SentJob& sent : submitter.jobs()) {
      const std::string& job = sent.job;
      if (sent.address != dotted) continue;
      const std::string pjl = "NAME=\"" + path + "\" SIZE=";
      if (const size_t at = job.find(pjl); at != std::string::npos) {
        const size_t end = job.find("\r\n", at);
        held = job.substr(end + 2, std::stoul(job.substr(at + pjl.size(), end - at - pjl.size())));
      }
      for (const char* procedure : {")download_font\r\n_FontDownload_\n", ")download_form\r\n_FontDownload_\n"}) {
        const std::string call = "(" + name + procedure;
        if (const size_t at = job.find(call); at != std::string::npos)
          held = job.substr(at + call.size(), job.find("_FontDownload_EOF_\n", at) - at - call.size());
      }
    }
    return held;
  }
  // "address #number first-line" of every job sent.
  Texts Sent() {
    Texts sent;
    for (const SentJob& job : submitter.jobs()) {
      const size_t name = job.job.rfind("NAME=");
      const std::string what = name == std::string::npos ? "raw " + job.job.substr(0, job.job.find('\n'))
                               : job.job.find("%!PS-Adobe") != std::string::npos
                                   ? "ps " + job.job.substr(job.job.find("_FontDownload_\n") + 15,
                                                            job.job.find('\n', job.job.find("_FontDownload_\n") + 15) -
                                                                job.job.find("_FontDownload_\n") - 15)
                                   : "pcl " + job.job.substr(name, job.job.find('"', name + 6) - name + 1);
      sent.push_back(job.address + " #" + std::to_string(job.number) + " " + what);
    }
    return sent;
  }

  TempDir fonts;
  std::string appDir = fonts.file("app");
  std::vector<PrinterRecord> printers;
  FakeClock clock;
  FakeUiThread ui;
  CountingUiThread counted{ui};
  ScriptedBoxes boxes;
  ScriptedQuestions questions;
  ExtensionConverter converter;
  RecordingSubmitter submitter;
  RecordingResourceManagerHost host;
  std::unique_ptr<ResourceManagerLogic> logic;
};

TEST_F(ResourceManagerTest, EveryPrinterWithStorageGetsEveryResourceInOrder) {
  Open();
  Add({"a.pfa", "b.sfp", "c.ttf"});
  questions.answers = {kBoth};  // asked once for every printer, without Apply to All
  logic->OnCommand(kDownloadButton);
  EXPECT_FALSE(logic->IsEnabled(kDownloadButton));
  EXPECT_FALSE(logic->IsEnabled(kAddButton));
  EXPECT_FALSE(logic->IsEnabled(kEditPrinterListButton));
  RunDownload();

  // The printer without storage is skipped; numbers restart per printer and
  // the Both conversion sends two jobs with two numbers.
  EXPECT_EQ(Sent(), (Texts{"127.0.1.1 #0 ps font a.pfa", "127.0.1.1 #1 pcl NAME=\"0:\\pcl\\fonts\\b\"",
                           "127.0.1.1 #2 ps type1 of c.ttf", "127.0.1.1 #3 pcl NAME=\"0:\\pcl\\fonts\\tmpPfb\"",
                           "127.0.1.3 #0 ps font a.pfa", "127.0.1.3 #1 pcl NAME=\"0:\\pcl\\fonts\\b\"",
                           "127.0.1.3 #2 ps type1 of c.ttf", "127.0.1.3 #3 pcl NAME=\"0:\\pcl\\fonts\\tmpPfb\""}));
  // Each printer keeps its own cells; the one without storage was named
  // in the question before the download and skipped.
  EXPECT_EQ(boxes.texts.at(0).find("These printers have no hard disk: NONE."), 0u);
  EXPECT_EQ(Cells(0), (Texts{"Downloaded", "Downloaded", "Downloaded"}));
  EXPECT_EQ(Cells(1), (Texts{"No hard disk", "No hard disk", "No hard disk"}));
  EXPECT_EQ(Cells(2), (Texts{"Downloaded", "Downloaded", "Downloaded"}));
  EXPECT_EQ(logic->StatusParts().front(), "3 printers: 2 done, 1 skipped: no hard disk");
  // A rest of 50 steps after each resource sent, 300 ms after each served
  // printer, and none for the skipped one.
  EXPECT_EQ(clock.sleptMs(), 2u * (3 * 20 + 2 * 50 * 20 + 300));
  EXPECT_EQ(questions.askedFiles, Texts{"c.ttf"});
  EXPECT_TRUE(logic->conversion().askConversion);
  EXPECT_EQ(logic->state(), DownloadState::Stopped);
  EXPECT_TRUE(logic->IsEnabled(kDownloadButton));
  EXPECT_FALSE(logic->IsEnabled(kStopButton));
  EXPECT_EQ(FilesIn(appDir), Texts{});  // no job or scratch file is left
}

TEST_F(ResourceManagerTest, FailuresShowInTheirRowsAndTheOtherPrinterGetsEverything) {
  Open({0, 2});
  Add({"a.pfa", "bad.ttf", "c.ttf", "notes.frm"});
  submitter.failingAddress = "127.0.1.1";
  // bad.ttf's conversion fails; c.ttf's question is cancelled, so it is
  // left out.
  questions.answers = {kToType1};
  // The form's name is asked once, for both printers.
  questions.names = {"Notes"};
  logic->OnCommand(kDownloadButton);
  RunDownload();

  // A refused submission is no download, and a later printer does not
  // overwrite it.
  const std::string refused = std::string(kSocketFailureStatusText) + " (connection refused)";
  EXPECT_EQ(Cells(0), (Texts{refused, "Invalid TTF File", "Not Converted", refused}));
  EXPECT_EQ(Cells(1), (Texts{"Downloaded", "Invalid TTF File", "Not Converted", "Downloaded"}));
  EXPECT_EQ(logic->StatusParts().front(), "2 printers: 2 failed");
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(questions.askedFiles, (Texts{"bad.ttf", "c.ttf", "notes.frm"}));
  const Texts sent = Sent();
  EXPECT_EQ(std::count_if(sent.begin(), sent.end(), [](auto& s) { return s.rfind("127.0.1.3", 0) == 0; }), 2);
  EXPECT_EQ(sent.back(), "127.0.1.3 #1 ps font notes.frm");
}

// Only the storage some target has can be chosen; a printer without the
// chosen storage gets nothing, and its rows say why.
TEST_F(ResourceManagerTest, APrinterWithoutTheChosenStorageIsSkippedAndSaysSo) {
  Open();
  EXPECT_TRUE(logic->IsEnabled(kHardDiskRadio));
  EXPECT_TRUE(logic->IsEnabled(kFlashMemoryRadio));  // TWO has flash memory
  Add({"a.pfa", "b.sfp"});
  logic->OnCommand(kFlashMemoryRadio);
  logic->OnCommand(kDownloadButton);
  RunDownload();
  EXPECT_EQ(Sent(), (Texts{"127.0.1.3 #0 ps font a.pfa", "127.0.1.3 #1 pcl NAME=\"1:\\pcl\\fonts\\b\""}));
  EXPECT_EQ(std::count(host.shownStatuses.begin(), host.shownStatuses.end(), "No flash memory|No flash memory|"), 2);
  EXPECT_EQ(Statuses(), (Texts{"Downloaded", "Downloaded"}));

  // Without TWO nobody has flash memory: the choice moves to the hard disk.
  logic->ApplyPrinterSelection({0, 1});
  EXPECT_FALSE(logic->IsEnabled(kFlashMemoryRadio));
  EXPECT_EQ(logic->downloadLocation(), kHardDisk);
  logic->OnCommand(kFlashMemoryRadio);
  EXPECT_EQ(logic->downloadLocation(), kHardDisk);
  logic->ApplyPrinterSelection({1});
  EXPECT_FALSE(logic->IsEnabled(kHardDiskRadio));
  EXPECT_FALSE(logic->IsEnabled(kFlashMemoryRadio));
  logic->OnCommand(kDownloadButton);
  RunDownload();
  EXPECT_EQ(Statuses(), (Texts{"No hard disk", "No hard disk"}));
  EXPECT_EQ(submitter.jobs().size(), 2u);
}

// After a printer's resources the worker asks it for each: through its
// files over PJL (ONE) or its font table (TWO), again for what is missing
// after pauses of 1, 2, 4 and 8 s until 30 s have passed.
TEST_F(ResourceManagerTest, EachRowTellsWhatThePrinterSaysItHolds) {
  snmp_double::Device pjl = snmp_double::GetDevice(kFirst);
  pjl.storedFileResult = kSnmpFileUnknown;
  pjl.storedFiles = {{"0:\\pcl\\fonts\\b", kSnmpFileNotStored}};
  pjl.storedContent = [this](const std::string& path) {
    return path == "0:\\fonts\\a" ? HeldBy(kFirst, path) : std::nullopt;
  };
  snmp_double::AddDevice(pjl);
  snmp_double::Device table = snmp_double::GetDevice(kSecond);
  table.fontTable = true;
  table.fonts = {snmp_double::MakeFontEntry("a", 7, kFontTypePostScript, kFontDownloaded, kFontOnHardDisk),
                 snmp_double::MakeFontEntry("b", 8, kFontTypePcl, kFontDownloaded, kFontInFlash),
                 snmp_double::MakeFontEntry("c", 9, kFontTypePostScript, kFontDownloaded, kFontOnHardDisk)};
  snmp_double::AddDevice(table);
  Open({0, 2});
  Add({"a.pfa", "b.sfp", "c.pfa"});
  logic->OnCommand(kDownloadButton);
  RunDownload();

  const std::string notConfirmed = kSentNotConfirmedText, refused = kRefusedByPrinterText;
  const std::string toCheck = kAwaitingCheckText;
  // Until the printer is asked, what it took reads as still to be checked,
  // never as the verdict of a check.
  const auto shown = [this](const std::string& cells) {
    return std::find(host.shownStatuses.begin(), host.shownStatuses.end(), cells) != host.shownStatuses.end();
  };
  EXPECT_TRUE(shown(toCheck + "|Downloading...|Not Downloaded|"));
  EXPECT_TRUE(shown(toCheck + "|" + toCheck + "|" + toCheck + "|"));
  EXPECT_TRUE(shown("Downloaded|" + refused + "|" + notConfirmed + "|"));
  // TWO lists b in its flash memory, not on the disk it was sent to.
  EXPECT_EQ(Statuses(), (Texts{"Downloaded", refused, "Downloaded"}));
  // The paths the jobs wrote; a printer that left one unanswered is not
  // asked again, one whose table lacks a font is, six times.
  std::vector<std::string> asked;
  for (const snmp_double::Call& call : snmp_double::Calls())
    if (call.operation == "SnmpQueryStoredFileSize") asked.push_back(call.path);
  EXPECT_EQ(asked, (Texts{"0:\\fonts\\a", "0:\\pcl\\fonts\\b", "0:\\fonts\\c"}));
  EXPECT_EQ(snmp_double::CallCount("SnmpGetFontTable"), 1 + 7);
  EXPECT_EQ(snmp_double::OutstandingFontLists(), 0);
}

TEST_F(ResourceManagerTest, TheStatusBarFollowsTheDownloadAndSumsItUpAtItsEnd) {
  Open({0, 2});
  Add({"a.pfa", "b.pfa"});
  EXPECT_EQ(logic->StatusParts().front(), "Ready");
  logic->OnCommand(kDownloadButton);
  RunDownload();
  EXPECT_EQ(host.shownProgress, (Texts{"Ready", "Printer 1 of 2: ONE (Model 40) 127.0.1.1, resource 1 of 2",
                                       "Printer 1 of 2: ONE (Model 40) 127.0.1.1, resource 2 of 2",
                                       "Printer 2 of 2: TWO (Model 40) 127.0.1.3, resource 1 of 2",
                                       "Printer 2 of 2: TWO (Model 40) 127.0.1.3, resource 2 of 2", "2 printers: 2 done"}));
}

TEST_F(ResourceManagerTest, EachPrinterGetsItsJobsThroughItsOwnPortAndCheckAndAStalledOneSaysSo) {
  RunPrinterSettings().Set(0x7F000103u, {JobPort::Ipp, false});  // 127.0.1.3, not asked afterwards
  submitter.failingAddress = "127.0.1.1";
  submitter.failure = JOB_ERR_STOPPED_TAKING_DATA;
  Open({0, 2});
  Add({"a.pfa"});
  logic->OnCommand(kDownloadButton);
  RunDownload();
  RunPrinterSettings().Clear();

  EXPECT_NE(std::find(host.shownStatuses.begin(), host.shownStatuses.end(), "The printer stopped taking data.|"),
            host.shownStatuses.end());
  const std::vector<SentJob> jobs = submitter.jobs();
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[0].port, JobPort::Lpr);
  EXPECT_EQ(jobs[1].port, JobPort::Ipp);
  EXPECT_EQ(host.shownStatuses.back(), "Sent, not confirmed|");
}

// A print file is printed, not stored: it goes to a printer without
// storage too, and is "Sent", never "Downloaded".
TEST_F(ResourceManagerTest, APrintFileIsSentEvenWithoutStorage) {
  Open({0, 1});
  Add({"a.pfa", "page.prn"});
  logic->OnCommand(kDownloadButton);
  RunDownload();
  EXPECT_EQ(Sent(), (Texts{"127.0.1.1 #0 ps font a.pfa", "127.0.1.1 #1 raw font page.prn",
                           "127.0.1.2 #0 raw font page.prn"}));
  EXPECT_NE(std::find(host.shownStatuses.begin(), host.shownStatuses.end(), "Downloaded|Sent|"),
            host.shownStatuses.end());
  EXPECT_EQ(Statuses(), (Texts{"No hard disk", "Sent"}));
}

// Where the printer tells no size, a PostScript font is judged by the first
// bytes it holds, so an older copy is not taken for the one sent; a PCL
// font, whose job fixes only its size, stays unconfirmed.
TEST_F(ResourceManagerTest, WithoutSizesAPostScriptFontIsJudgedByItsFirstBytes) {
  snmp_double::Device device = snmp_double::GetDevice(kFirst);
  device.tellsSizes = false;
  device.storedContent = [this](const std::string& path) -> std::optional<std::string> {
    return path == "0:\\fonts\\old" ? std::optional<std::string>("an older font\n") : HeldBy(kFirst, path);
  };
  snmp_double::AddDevice(device);
  Open({0});
  Add({"a.pfa", "old.pfa", "b.sfp"});
  logic->OnCommand(kDownloadButton);
  RunDownload();
  EXPECT_EQ(Statuses(), (Texts{"Downloaded", kRefusedByPrinterText, kSentNotConfirmedText}));
  EXPECT_EQ(snmp_double::CallCount("SnmpUploadStoredFileHead"), 1 + 7);
}

// A busy printer stores a job a few seconds after taking it: the check waits
// for it, up to GLY_DOWNLOAD_CHECK_SECONDS.
TEST_F(ResourceManagerTest, TheCheckWaitsForABusyPrinterUntilItsDeadline) {
  const uint64_t start = clock.NowMs();
  snmp_double::Device device = snmp_double::GetDevice(kFirst);
  device.storedContent = [this, start](const std::string& path) -> std::optional<std::string> {
    return clock.NowMs() - start >= 5000 ? HeldBy(kFirst, path) : std::nullopt;
  };
  snmp_double::AddDevice(device);
  Open({0});
  Add({"a.pfa"});
  logic->OnCommand(kDownloadButton);
  RunDownload();
  EXPECT_EQ(Statuses(), Texts{"Downloaded"});

  setenv("GLY_DOWNLOAD_CHECK_SECONDS", "2", 1);
  device.storedContent = [this](const std::string& path) -> std::optional<std::string> {
    return clock.NowMs() >= 1'000'000 ? HeldBy(kFirst, path) : std::nullopt;
  };
  snmp_double::AddDevice(device);
  const uint64_t checkStart = clock.sleptMs();
  logic->OnCommand(kDownloadButton);
  RunDownload();
  unsetenv("GLY_DOWNLOAD_CHECK_SECONDS");
  EXPECT_EQ(Statuses(), Texts{kRefusedByPrinterText});
  EXPECT_EQ(clock.sleptMs() - checkStart, 20u + 2000 + 300);
}

TEST_F(ResourceManagerTest, ATrueTypeFontWithoutAChoiceIsNotMarkedDownloaded) {
  Open({0});
  Add({"c.ttf"});
  logic->OnCommand(kDownloadButton);  // the question is cancelled
  RunDownload();
  EXPECT_EQ(Statuses(), Texts{kNotConvertedText});
  EXPECT_TRUE(submitter.jobs().empty());
}

TEST_F(ResourceManagerTest, CharactersAPclConversionLeftOutShowInTheRow) {
  Open({0});
  Add({"lossy.ttf", "c.ttf", "unbound.ttf"});
  questions.answers = {kToPcl, kToPcl, kToPcl};
  logic->OnCommand(kDownloadButton);
  RunDownload();
  EXPECT_EQ(Statuses(), (Texts{"Converted (3 characters left out)", "Downloaded",
                               "Downloaded (unbound: select symbol set 18N)"}));
  EXPECT_EQ(submitter.jobs().size(), 3u);

  host.exportFile = fonts.file("fonts.prn");
  questions.answers = {kToPcl, kToPcl, kToPcl};
  logic->OnCommand(kExportButton);
  EXPECT_EQ(Statuses(), (Texts{"Exported (3 characters left out)", "Exported",
                               "Exported (unbound: select symbol set 18N)"}));
}

TEST_F(ResourceManagerTest, StopAnsweredCancelGoesOnAndOkStopsWithoutStartingAnotherResource) {
  Open({0});
  Add({"a.pfa", "b.pfa", "c.pfa", "d.pfa"});
  submitter.HoldAt(1);
  logic->OnCommand(kDownloadButton);
  submitter.AwaitHeld();
  boxes.answers = {IDCANCEL};
  logic->OnCommand(kStopButton);
  EXPECT_EQ(boxes.shown.back(), kStopQuestionText);
  EXPECT_EQ(logic->state(), DownloadState::Downloading);
  submitter.HoldAt(2);
  submitter.Release();
  submitter.AwaitHeld();
  boxes.answers = {IDOK};
  logic->OnCommand(kStopButton);
  EXPECT_EQ(logic->state(), DownloadState::Stopped);
  // The worker is still sending: no second download may start on its files.
  EXPECT_FALSE(logic->IsEnabled(kDownloadButton));
  logic->OnCommand(kDownloadButton);
  EXPECT_FALSE(logic->IsEnabled(kStopButton));
  submitter.Release();
  RunDownload();
  EXPECT_EQ(submitter.jobs().size(), 3u);
  // A stopped download does not wait for the printer's answers.
  const std::string sent = kSentNotConfirmedText;
  EXPECT_EQ(Statuses(), (Texts{sent, sent, sent, "Not sent (stopped)"}));
  EXPECT_TRUE(logic->IsEnabled(kDownloadButton));
}

TEST_F(ResourceManagerTest, AStopBeforeTheWorkersFirstStepIsKept) {
  Open({0});
  Add({"a.pfa"});
  std::mutex lock;
  std::condition_variable stopped;
  bool stopGiven = false;
  clock.onSleep = [&](uint32_t) {
    std::unique_lock guard(lock);
    stopped.wait(guard, [&] { return stopGiven; });
  };
  logic->OnCommand(kDownloadButton);
  logic->OnCommand(kStopButton);  // answered OK
  {
    const std::lock_guard guard(lock);
    stopGiven = true;
    stopped.notify_all();
  }
  RunDownload();
  EXPECT_TRUE(submitter.jobs().empty());
  // Cancel after the end finds no download and closes the window.
  logic->OnCommand(kCancelButton);
  EXPECT_EQ(host.closed, 1);
}

TEST_F(ResourceManagerTest, CloseDuringADownloadFinishesThePrinterAndClosesOnlyWhenAskedAgain) {
  Open({0, 2});
  Add({"a.pfa", "b.pfa"});
  submitter.HoldAt(0);
  logic->OnCommand(kDownloadButton);
  submitter.AwaitHeld();
  logic->OnCommand(kCloseButton);
  EXPECT_EQ(boxes.shown, std::vector<int>{kCannotCloseText});
  EXPECT_EQ(logic->state(), DownloadState::CloseRequested);
  submitter.Release();
  RunDownload();
  EXPECT_EQ(Sent(), (Texts{"127.0.1.1 #0 ps font a.pfa", "127.0.1.1 #1 ps font b.pfa"}));
  EXPECT_EQ(host.closed, 0);
  logic->OnCommand(kCloseButton);
  EXPECT_EQ(host.closed, 1);
}

TEST_F(ResourceManagerTest, CloseAfterStopWaitsForTheWorkerWhileTheWindowKeepsRunning) {
  Open({0});
  Add({"a.pfa", "b.pfa"});
  submitter.HoldAt(0);
  logic->OnCommand(kDownloadButton);
  submitter.AwaitHeld();
  logic->OnCommand(kStopButton);  // OK
  logic->OnCommand(kCloseButton);
  EXPECT_EQ(host.closed, 0);  // the worker is still sending
  submitter.Release();
  RunDownload();
  EXPECT_EQ(host.closed, 1);
  EXPECT_EQ(submitter.jobs().size(), 1u);
}

TEST_F(ResourceManagerTest, ClosingWhileTheWorkerWaitsForAnAnswerEndsTheWorker) {
  Open({0});
  Add({"c.pfa", "a.pfa"});
  std::filesystem::remove(fonts.file("c.pfa"));
  logic->OnCommand(kDownloadButton);
  // The "Invalid font file" box waits on the user-interface thread, which
  // never runs it: the logic goes all the same.
  // Posted so far: the printer, "Downloading..." and the box.
  for (int i = 0; i < 5000 && counted.posts < 3; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_EQ(counted.posts, 3);
  logic.reset();
  ui.RunPosted();
  EXPECT_TRUE(boxes.texts.empty());
  EXPECT_TRUE(submitter.jobs().empty());
}

TEST_F(ResourceManagerTest, ExportWritesEveryJobInOrderIntoOneFileAndLeavesItAlone) {
  Open({2});
  Add({"a.pfa", "b.sfp", "c.ttf"});
  host.exportFile = fonts.file("fonts.prn");
  WriteBytes(host.exportFile, "an earlier export\n");
  questions.answers = {kBoth};
  logic->OnCommand(kExportButton);

  const std::string file = ReadBytes(host.exportFile);
  const size_t ps = file.find("font a.pfa"), pcl = file.find("font b.sfp"), type1 = file.find("type1 of c.ttf"),
               pclTrueType = file.find("pcl of c.ttf");
  ASSERT_NE(pclTrueType, std::string::npos);
  EXPECT_TRUE(ps < pcl && pcl < type1 && type1 < pclTrueType);
  EXPECT_EQ(file.find("an earlier export"), std::string::npos);
  EXPECT_EQ(file.find("%cartridge"), std::string::npos);
  EXPECT_EQ(Statuses(), (Texts{"Exported", "Exported", "Exported"}));
  // Told after the file is in place, with what it holds.
  ASSERT_EQ(host.texts.size(), 1u);
  EXPECT_EQ(host.texts[0].find("4 jobs written to " + host.exportFile + "\n"), 0u) << host.texts[0];
  // The way to send it later on this system, not a DOS command.
  EXPECT_NE(host.texts[0].find("lp -d QUEUE -o raw filename"), std::string::npos);
  EXPECT_EQ(host.texts[0].find("copy /b"), std::string::npos);
  EXPECT_EQ(host.waitCursor, 0);
  // Nothing later writes into the export file.
  EXPECT_EQ(logic->jobFiles().postScript, nullptr);
  EXPECT_EQ(logic->jobFiles().pcl, nullptr);

  // Exporting again to the same file leaves only the second export, to
  // flash memory this time; "Apply to All" was not chosen, so it asks.
  questions.answers = {kToPcl};
  logic->OnCommand(kFlashMemoryRadio);
  logic->OnCommand(kExportButton);
  const std::string second = ReadBytes(host.exportFile);
  EXPECT_EQ(second.find("type1 of c.ttf"), std::string::npos);
  EXPECT_NE(second.find("%cartridge"), std::string::npos);
  EXPECT_NE(second.find("NAME=\"1:\\pcl\\fonts\\b\""), std::string::npos);

  // A download afterwards deletes its temporary job files, never the export.
  logic->OnCommand(kHardDiskRadio);
  questions.answers = {kToPcl};
  logic->OnCommand(kDownloadButton);
  RunDownload();
  EXPECT_EQ(ReadBytes(host.exportFile), second);
}

TEST_F(ResourceManagerTest, ExportOfAFormFileWritesItsJobUnlessItsNameIsCancelled) {
  Open({0});
  Add({"form.frm"});
  host.exportFile = fonts.file("form.prn");
  logic->OnCommand(kExportButton);
  EXPECT_FALSE(std::filesystem::exists(host.exportFile));
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(Statuses(), Texts{kNoResourceNameText});
  EXPECT_EQ(host.texts.at(0).find("0 jobs written to " + host.exportFile + "; left out: form.frm (No Name Given)\n"),
            0u);

  // Each export asks again.
  questions.names = {"Letter"};
  logic->OnCommand(kExportButton);
  EXPECT_EQ(Statuses(), Texts{"Exported"});
  EXPECT_NE(ReadBytes(host.exportFile).find(PostScriptFormPrologue(kHardDisk) + " (Letter)download_form\r\n"),
            std::string::npos);
  EXPECT_EQ(questions.formMacroQuestions, 2);
}

TEST_F(ResourceManagerTest, BadFilesAddedAtOnceAreNamedInOneMessage) {
  Open({0});
  Add({"x.bin", "a.pfa", "notes.txt"});
  EXPECT_EQ(boxes.shown, std::vector<int>{ScriptedBoxes::kTextShown});
  EXPECT_EQ(boxes.texts, Texts{"Invalid font files:\nx.bin\nnotes.txt"});
  ASSERT_EQ(logic->rows().size(), 1u);
  // No longer a font by download time: named too.
  std::filesystem::remove(fonts.file("a.pfa"));
  logic->OnCommand(kDownloadButton);
  RunDownload();
  EXPECT_EQ(boxes.texts.back(), "Invalid font file: a.pfa");
  EXPECT_EQ(Statuses(), Texts{"Not Downloaded"});
}

// The window's export refuses what the command line's does: here one of
// its own inputs, which stays as it was.
TEST_F(ResourceManagerTest, ExportOverOneOfItsInputsIsRefusedAndSaysSo) {
  Open({0});
  Add({"a.pfa", "b.sfp"});
  const std::string input = fonts.file("b.sfp");
  const std::string before = ReadBytes(input);
  host.exportFile = input;
  logic->OnCommand(kExportButton);
  EXPECT_EQ(ReadBytes(input), before);
  ASSERT_EQ(host.texts.size(), 1u);
  EXPECT_EQ(host.texts[0], input + " is one of the files to export: nothing was exported.");
  EXPECT_EQ(logic->exportProblem(), host.texts[0]);
  EXPECT_TRUE(logic->IsEnabled(kDownloadButton));
}

TEST_F(ResourceManagerTest, EmptyListStartsNothing) {
  Open();
  logic->OnCommand(kDownloadButton);
  logic->OnCommand(kExportButton);
  EXPECT_EQ(boxes.shown, (std::vector<int>{kSelectFontsText, kSelectFontsText}));
  EXPECT_FALSE(logic->downloading());
}

TEST_F(ResourceManagerTest, RowsAreRemovedTogetherWithTheirPaths) {
  Open();
  Add({"a.pfa", "x.bin", "b.sfp", "c.ttf", "LOGO.PCL"});
  EXPECT_EQ(boxes.texts, Texts{"Invalid font file: x.bin"});
  ASSERT_EQ(logic->rows().size(), 4u);
  logic->OnRowSelectionChanged({3, 0});
  logic->OnCommand(kRemoveButton);
  ASSERT_EQ(logic->rows().size(), 2u);
  EXPECT_EQ(logic->rows()[0].path, fonts.file("b.sfp"));
  EXPECT_EQ(logic->rows()[1].path, fonts.file("c.ttf"));
  EXPECT_EQ(logic->rows()[1].texts.typeText, "True Type Font");
}

TEST_F(ResourceManagerTest, PrintersAreTheLogicsOwnCopiesMatchedByAddress) {
  Open({0, 2});
  // The opener's records change or go; the copies do not.
  printers.clear();
  EXPECT_EQ(logic->PrinterEntries(), (Texts{"ONE (Model 40) 127.0.1.1", "TWO (Model 40) 127.0.1.3"}));
  EXPECT_TRUE(logic->IsTarget(0));
  EXPECT_FALSE(logic->IsTarget(1));
  EXPECT_TRUE(logic->IsTarget(2));
  logic->OnPrinterSelectionChanged(1);
  EXPECT_EQ(logic->selectedPrinter(), 1);

  logic->ApplyPrinterSelection({1});
  EXPECT_EQ(logic->PrinterEntries(), Texts{"NONE (Model 40) 127.0.1.2"});
  EXPECT_FALSE(logic->IsTarget(0));
  EXPECT_TRUE(logic->IsTarget(1));
  logic->ApplyPrinterSelection({});
  EXPECT_TRUE(logic->PrinterEntries().empty());
  EXPECT_EQ(logic->selectedPrinter(), -1);
}

}  // namespace
