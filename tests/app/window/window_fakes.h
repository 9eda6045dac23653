// Doubles for what dialog logic needs from outside: its window, message
// boxes, the user-interface thread, and the resource library of the build.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "printers/app_directory.h"
#include "shell/gly_app.h"
#include "shell/main_window_logic.h"
#include "ui/message_boxes.h"
#include "ui/resource_module.h"
#include "ui/ui_thread.h"

// Loads the build's libResourceDLL.so the way the program does: from the
// directory of the running file, where tests land too.
inline void LoadBuiltResources() {
  if (HasResourceModule()) return;
  ASSERT_TRUE(LoadResourceModule(DefaultResourceLibraryPath().c_str()));
}

// Records every box shown and answers with the queued buttons (IDOK when
// none is queued).
class ScriptedBoxes final : public MessageBoxes {
 public:
  int Show(int stringId, unsigned style = MB_OK) override {
    shown.push_back(stringId);
    styles.push_back(style);
    if (answers.empty()) return IDOK;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  int ShowMessage(const std::string& text, unsigned style = MB_OK) override {
    texts.push_back(text);
    return Show(kTextShown, style);
  }
  // Stands in `shown` for a box with a text made by the caller; the text
  // is in `texts`.
  static constexpr int kTextShown = -1;
  std::vector<int> shown;
  std::vector<std::string> texts;
  std::vector<unsigned> styles;
  std::deque<int> answers;
};

// The test's thread is the user-interface thread unless told otherwise;
// posted calls wait in a queue until RunPosted(). Any thread may post.
class FakeUiThread final : public UiThread {
 public:
  // Only the thread that made it can be the user-interface thread.
  bool IsCurrent() const override { return current && std::this_thread::get_id() == maker_; }
  void Post(std::function<void()> call) override {
    const std::lock_guard guard(lock_);
    posted.push_back(std::move(call));
    arrived_.notify_all();
  }
  void RunPosted() {
    std::vector<std::function<void()>> calls;
    {
      const std::lock_guard guard(lock_);
      calls = std::move(posted);
      posted.clear();
    }
    for (auto& call : calls) call();
  }
  // Waits (at most 20 s) until something was posted, then runs the queue;
  // false when nothing came.
  bool AwaitAndRunPosted() {
    {
      std::unique_lock guard(lock_);
      if (!arrived_.wait_for(guard, std::chrono::seconds(20), [this] { return !posted.empty(); }))
        return false;
    }
    RunPosted();
    return true;
  }
  bool current = true;
  std::vector<std::function<void()>> posted;  // read it only while no other thread posts

 private:
  std::thread::id maker_ = std::this_thread::get_id();
  std::mutex lock_;
  std::condition_variable arrived_;
};

// Text widths are 7 pixels a character, the average character 6.
class FakeMainWindowHost : public MainWindowHost {
 public:
  void StateChanged() override { ++stateChanges; }
  int ListTextWidth(const std::string& text) override { return 7 * static_cast<int>(text.size()); }
  int ListAverageCharWidth() override { return 6; }
  void SetWaitCursor(bool busy) override { waitCursor += busy ? 1 : -1; }
  void ShowWaiting(bool shown) override { waiting = shown; }
  int PopUpFontListMenu() override { return fontListMenuChoice; }
  int TrackPrinterMenu(int x, int y) override {
    printerMenus.push_back({x, y});
    return printerMenuChoice;
  }
  void OpenAddPrinter(bool findOnSubnet) override {
    ++addPrinterOpened;
    addPrinterOnSubnet = findOnSubnet;
  }
  // Runs the work at once, on the test's thread.
  void RunInBackground(std::function<void()> work) override { work(); }
  void OpenFontList(PrinterRecord* const* printers, int count) override {
    fontListPrinters.assign(printers, printers + count);
  }
  void OpenResourceManager(const ResourceManagerTargets& targets) override {
    if (whileResourceManagerOpen) whileResourceManagerOpen();
    resourceTargets = targets.targets;
    resourceAllPrinters = targets.allPrinters;
    resourceAllCount = static_cast<int>(targets.allPrinters.size());
    resourceCheckedIndexes = targets.checkedIndexes;
  }
  void OpenCommunityStrings(PrinterRecord& printer) override { communityPrinters.push_back(&printer); }
  void OpenJobPort(const PrinterRecord& printer) override { jobPortPrinters.push_back(&printer); }
  std::string ChoosePrinterListFile(bool save) override {
    printerListSaves.push_back(save);
    return printerListFile;
  }
  void ShowAbout() override { ++aboutShown; }
  void OpenHelp(const std::string& path) override { helpPaths.push_back(path); }
  void Close() override { ++closed; }

  int stateChanges = 0;
  int waitCursor = 0;  // back to 0 when every wait cursor ended
  bool waiting = false;
  int fontListMenuChoice = 0;
  int printerMenuChoice = 0;
  std::vector<std::pair<int, int>> printerMenus;
  int addPrinterOpened = 0;
  bool addPrinterOnSubnet = false;
  std::vector<PrinterRecord*> fontListPrinters;
  std::function<void()> whileResourceManagerOpen;  // runs as if during the modal dialog
  std::vector<PrinterRecord*> resourceTargets;
  std::vector<PrinterRecord*> resourceAllPrinters;
  int resourceAllCount = 0;
  std::vector<int> resourceCheckedIndexes;
  std::vector<PrinterRecord*> communityPrinters;
  std::vector<const PrinterRecord*> jobPortPrinters;
  std::string printerListFile;  // what the file dialog gives back
  std::vector<bool> printerListSaves;
  int aboutShown = 0;
  std::vector<std::string> helpPaths;
  int closed = 0;
};

struct LprSubmission {
  std::string address, jobFile, hostName;
  int jobNumber;
};
