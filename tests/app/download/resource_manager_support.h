// Doubles for the Resource Manager's tests: a converter that knows fonts by
// their extension, a host that records what it was asked, and an LPR
// submitter that records each job and can hold the worker inside a job.
#pragma once

#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "download/converter_operations.h"
#include "download/resource_manager_logic.h"
#include "job_test_support.h"

// ".pfa" is a Type 1 font, ".sfp" a PCL font, ".ttf" a TrueType font;
// anything else is not a font. A conversion of a file whose name starts
// with "bad" fails; the others write "<operation> of <name>". The PCL
// conversion of a file whose name starts with "lossy" leaves 3 of 10
// characters out; one whose name starts with "unbound" goes unbound.
class ExtensionConverter final : public ConverterOperations {
 public:
  int ClassifyFontFile(const char* path, char* fontName, ResourceKindInfo* kindInfo) override {
    const std::filesystem::path file(path);
    if (!std::filesystem::exists(file)) return 1;
    const std::string extension = file.extension();
    if (extension == ".pfa") *kindInfo = {3, 1};
    else if (extension == ".sfp") *kindInfo = {2, 15};
    else if (extension == ".ttf") *kindInfo = {1, 0};
    else return 1;
    std::strncpy(fontName, file.stem().c_str(), GLY_FONT_NAME_SIZE - 1);
    return 0;
  }
  int ConvertPfbToPfa(const char* in, const char* out) override { return Convert("pfa", in, out); }
  int ConvertTrueTypeToType1(const char* in, const char* out) override { return Convert("type1", in, out); }
  int FinishType1Conversion(const char* in, const char* out, int) override {
    // The finished font keeps the TrueType file's name, as a font name.
    const std::string program = ReadBytes(in);
    WriteBytes(out, program);
    return 0;
  }
  int ConvertTrueTypeToPclTrueType(const char* in, const char* out) override { return Convert("pcl", in, out); }
  int ConvertTrueTypeToPclTrueTypeReporting(const char* in, const char* out, PclConversionReport* report) override {
    const bool lossy = std::filesystem::path(in).filename().string().rfind("lossy", 0) == 0;
    *report = {10, lossy ? 7u : 10u, "0N", "", 0, 0, 0, "0N"};
    if (std::filesystem::path(in).filename().string().rfind("unbound", 0) == 0) {
      report->unbound = 1;
      std::strcpy(report->symbolSet, "unbound");
      std::strcpy(report->selectSymbolSet, "18N");
    }
    return Convert("pcl", in, out);
  }

 private:
  static int Convert(const std::string& operation, const char* in, const char* out) {
    const std::string name = std::filesystem::path(in).filename();
    if (name.rfind("bad", 0) == 0) return 1;
    WriteBytes(out, operation + " of " + name + "\n");
    return 0;
  }
};

struct SentJob {
  std::string address;
  std::string job;  // the job file's bytes when it was sent
  int number;
  JobPort port;
};

// Records each job, and fails every job for failingAddress. HoldAt(n)
// keeps the worker inside the n-th job sent (counted from 0) until
// Release().
class RecordingSubmitter {
 public:
  JobSubmitter Function() {
    return [this](const char* address, JobPort port, const JobFile& jobFile, const char*, int number) {
      std::unique_lock guard(lock_);
      jobs_.push_back({address, ReadJobFile(jobFile), number, port});
      const int held = static_cast<int>(jobs_.size()) - 1;
      if (held == holdIndex_) {
        inside_ = true;
        changed_.notify_all();
        changed_.wait(guard, [&] { return !inside_; });
      }
      return std::string(address) == failingAddress ? failure : 0;
    };
  }
  // Holds the worker inside the job that would be the `index`-th sent.
  void HoldAt(int index) {
    const std::lock_guard guard(lock_);
    holdIndex_ = index;
  }
  void AwaitHeld() {
    std::unique_lock guard(lock_);
    changed_.wait(guard, [&] { return inside_; });
  }
  void Release() {
    const std::lock_guard guard(lock_);
    inside_ = false;
    changed_.notify_all();
  }
  std::vector<SentJob> jobs() {
    const std::lock_guard guard(lock_);
    return jobs_;
  }

  std::string failingAddress;  // set before the download starts
  int failure = 10061;         // WSAECONNREFUSED

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<SentJob> jobs_;
  int holdIndex_ = -1;
  bool inside_ = false;
};

// The texts the window shows in the rows for printer `printer` of the
// download's results, or in the status column when there are none.
inline std::vector<std::string> CellTexts(const ResourceManagerLogic& logic, int printer) {
  std::vector<std::string> texts;
  const auto& results = logic.results();
  if (printer < 0 || printer >= static_cast<int>(results.size())) {
    for (const auto& row : logic.rows()) texts.push_back(row.texts.status);
    return texts;
  }
  for (const ResourceOutcome& outcome : results[static_cast<size_t>(printer)]) texts.push_back(OutcomeText(outcome));
  return texts;
}

class RecordingResourceManagerHost : public ResourceManagerHost {
 public:
  void StateChanged() override {
    if (!logic) return;
    // The cells of the printer being served, else the last printer's.
    const int printer = logic->currentPrinter() >= 0 ? logic->currentPrinter()
                                                     : static_cast<int>(logic->results().size()) - 1;
    std::string statuses;
    for (const std::string& text : CellTexts(*logic, printer)) statuses += text + "|";
    if (shownStatuses.empty() || shownStatuses.back() != statuses) shownStatuses.push_back(statuses);
    const std::string progress = logic->StatusParts().front();
    if (shownProgress.empty() || shownProgress.back() != progress) shownProgress.push_back(progress);
  }
  std::vector<std::string> ChooseResourceFiles() override { return filesToChoose; }
  std::string ChooseExportFile() override { return exportFile; }
  void ShowText(const std::string& text) override { texts.push_back(text); }
  void SetWaitCursor(bool busy) override { waitCursor += busy ? 1 : -1; }
  void OpenEditPrinterList() override { ++editListOpened; }
  void OpenHelp(const std::string& path) override { helpPaths.push_back(path); }
  void Close() override { ++closed; }

  const ResourceManagerLogic* logic = nullptr;
  std::vector<std::string> shownStatuses;  // each different set of cells shown, "a|b|"
  std::vector<std::string> shownProgress;  // each different first status bar part shown
  std::vector<std::string> filesToChoose;
  std::string exportFile;
  std::vector<std::string> texts;
  int waitCursor = 0;
  int editListOpened = 0;
  std::vector<std::string> helpPaths;
  int closed = 0;
};

inline PrinterRecord MakeTestPrinter(uint32_t address, uint32_t storage, const char* name,
                                     const char* model = "Model 40") {
  PrinterRecord printer = MakePrinterRecord();
  printer.address = address;
  printer.storageOptions = storage;
  CopyRecordText(printer.printerName, name);
  CopyRecordText(printer.modelName, model);
  return printer;
}
