#include "download/download_worker.h"

#include <algorithm>
#include <iterator>

#include "download/classify_resource.h"
#include "download/converter_operations.h"
#include "download/download_check.h"
#include "download/lpr.h"
#include "download/resource_kind.h"
#include "download/resource_manager_ids.h"
#include "printers/clock.h"
#include "printers/printer_abilities.h"
#include "snmp/contract/glysnmp.h"
#include "ui/message_boxes.h"

DownloadWorker::DownloadWorker(DownloadPlan plan, DownloadStateWord& state,
                               DownloadWorkerEvents& events, DownloadWorkerServices services)
    : plan_(std::move(plan)),
      state_(state),
      events_(events),
      services_(std::move(services)),
      context_(services_.converter, services_.questions, services_.boxes, services_.jobDirectory) {
  context_.downloadLocation = plan_.location;
  context_.conversion = plan_.conversion;
}

DownloadWorker::~DownloadWorker() { Join(); }

void DownloadWorker::Start() { thread_ = std::thread([this] { Run(); }); }

void DownloadWorker::Join() {
  if (thread_.joinable()) thread_.join();
}

void DownloadWorker::Run() {
  for (size_t p = 0; p < plan_.printers.size(); ++p) {
    events_.PrinterStarted(static_cast<int>(p));
    if (!ServePrinter(plan_.printers[p])) break;
  }
  state_.Store(DownloadState::Stopped);
  ConversionChoice conversion = context_.conversion;
  conversion.askConversion = true;
  events_.Ended(conversion);
}

bool HasStorage(uint32_t storageOptions, StorageLocation location) {
  return (storageOptions & (location == kFlashMemory ? kStorageFlash : kStorageHardDisk)) != 0;
}

namespace {

bool IsPrintFile(const std::string& path) { return PassThroughKindOf(FileNameOf(path)) == PassThroughKind::kPrintFile; }

const char* NoStorageText(StorageLocation location) {
  return location == kFlashMemory ? kNoFlashMemoryText : kNoHardDiskText;
}

}  // namespace

bool DownloadWorker::ServePrinter(const DownloadPrinter& printer) {
  const int rows = static_cast<int>(plan_.resourcePaths.size());
  const bool storage = HasStorage(printer.storageOptions, plan_.location);
  events_.StatusesReset();
  if (!storage) {
    // Nothing can be stored where the download goes: every row but a print
    // file's says so, and without print files the printer is done.
    for (int row = 0; row < rows; ++row) {
      if (!IsPrintFile(plan_.resourcePaths[static_cast<size_t>(row)]))
        events_.RowStatus(row, NoStorageText(plan_.location));
    }
    if (std::none_of(plan_.resourcePaths.begin(), plan_.resourcePaths.end(), IsPrintFile)) return true;
  }
  uint32_t password = 0;
  SnmpGetPjlPassword(printer.record.address, &password);
  context_.pjlPassword = password;
  int jobNumber = 0;  // every printer numbers its jobs from 000
  int pacing = 0;
  std::vector<SentRow> sentRows;
  for (int row = 0; row < rows;) {
    if (!storage && !IsPrintFile(plan_.resourcePaths[static_cast<size_t>(row)])) {
      ++row;
      continue;
    }
    services_.clock.SleepMs(kWorkerStepMs);
    const DownloadState state = state_.Load();
    if (state == DownloadState::StopPending) continue;  // held while the stop question is open
    if (state == DownloadState::Stopped) break;
    if (pacing != 0) {
      pacing = (pacing + 1) % (kRestSteps + 1);
      continue;
    }
    if (HandleResource(printer, row, storage, jobNumber, sentRows)) pacing = 1;
    ++row;
  }
  // A stopped download does not wait for the printer's answers: its rows
  // stay "Sent, not confirmed".
  if (printer.verify && state_.Load() != DownloadState::Stopped) ConfirmSentRows(printer, sentRows);
  // A close asked during the download lets this printer finish, no more.
  state_.Change({DownloadState::CloseRequested}, DownloadState::Stopped);
  if (state_.Load() == DownloadState::Stopped) return false;
  services_.clock.SleepMs(kPrinterRestMs);
  return true;
}

void DownloadWorker::ConfirmSentRows(const DownloadPrinter& printer, const std::vector<SentRow>& sentRows) {
  std::vector<SentResource> asked;
  for (const SentRow& sentRow : sentRows) asked.insert(asked.end(), sentRow.sent.begin(), sentRow.sent.end());
  if (asked.empty()) return;
  const std::vector<Presence> answers = AskPrinterFor(printer.record, asked, services_.clock);
  size_t next = 0;
  for (const SentRow& sentRow : sentRows) {
    const std::vector<Presence> parts(answers.begin() + static_cast<std::ptrdiff_t>(next),
                                      answers.begin() + static_cast<std::ptrdiff_t>(next + sentRow.sent.size()));
    next += sentRow.sent.size();
    switch (PresenceOfAll(parts)) {
      case Presence::kStored: events_.RowStatus(sentRow.row, sentRow.status); break;
      case Presence::kNotStored: events_.RowStatus(sentRow.row, kRefusedByPrinterText); break;
      case Presence::kUnknown: break;  // it says "Sent, not confirmed" already
    }
  }
}

bool DownloadWorker::HandleResource(const DownloadPrinter& printer, int row, bool storage, int& jobNumber,
                                    std::vector<SentRow>& sentRows) {
  const std::string& path = plan_.resourcePaths[static_cast<size_t>(row)];
  events_.RowStatus(row, kDownloadingText);
  char fontName[GLY_FONT_NAME_SIZE] = {};
  ResourceKindInfo kindInfo{};
  if (services_.converter.ClassifyFontFile(path.c_str(), fontName, &kindInfo) != 0) {
    if (PassThroughKindOf(FileNameOf(path)) == PassThroughKind::kNone) {
      services_.boxes.ShowMessage(InvalidFilesText({FileNameOf(path)}));
      events_.RowStatus(row, kNotDownloadedText);
      return false;
    }
    // Not a font: it goes by its extension, as it was listed.
    kindInfo = {};
  }
  if (!storage && kindInfo.kind != 0) {
    // Named as a print file, but a font: it has nowhere to go.
    events_.RowStatus(row, NoStorageText(plan_.location));
    return false;
  }
  // The Type 1 conversion classifies its result into kindInfo again.
  const uint16_t kind = kindInfo.kind;
  const int prepared = PrepareResourceJob(context_, path.c_str(), fontName, kindInfo, false);
  if (prepared != kResourceJobDone) {
    // Half a Both conversion is not sent either.
    DeleteJobFiles();
    events_.RowStatus(row, prepared == kPostScriptConversionFailed  ? kInvalidPsFileText
                           : prepared == kTrueTypeConversionFailed ? kInvalidTtfFileText
                           : prepared == kScratchSpaceFull          ? kScratchFullText
                           : prepared == kResourceNameNotGiven      ? kNoResourceNameText
                                                                   : kJobNotWrittenText);
    return false;
  }
  std::string status =
      context_.charactersLeftOut > 0 ? ConvertedStatusText(context_.charactersLeftOut) : kDownloadedText;
  std::vector<std::shared_ptr<JobFile>> jobFiles = JobFilesToSend(kind, status);
  if (const char* refusal = KeepJobsThePrinterSpeaks(printer.record.address, jobFiles)) {
    DeleteJobFiles();
    events_.RowStatus(row, refusal);
    return false;
  }
  bool allSent = !jobFiles.empty();
  for (const std::shared_ptr<JobFile>& jobFile : jobFiles) {
    const JobOutcome sent = jobFile ? services_.submit(printer.address.c_str(), printer.port, *jobFile, "GLY", jobNumber++)
                                    : JobOutcome(LPR_ERR_JOB_FILE_UNREADABLE);
    if (!sent.sent()) {
      status = JobFailureStatus(sent);
      allSent = false;
      break;
    }
  }
  DeleteJobFiles();
  std::vector<SentResource> stored;
  std::copy_if(context_.sent.begin(), context_.sent.end(), std::back_inserter(stored),
               [](const SentResource& sent) { return sent.kind != SentKind::kPrintFile; });
  // A print file is printed, not kept: there is nothing to look for, and
  // it was sent, not downloaded.
  if (allSent && stored.empty() && !context_.sent.empty()) status = kSentText;
  if (allSent && !stored.empty()) {
    // The printer took it; whether it holds it is asked after the last
    // resource, when it has had time to store them all.
    sentRows.push_back({row, status, std::move(stored)});
    status = kSentNotConfirmedText;
  }
  events_.RowStatus(row, status);
  return true;
}

std::vector<std::shared_ptr<JobFile>> DownloadWorker::JobFilesToSend(uint16_t kind,
                                                                     std::string& unsentStatus) const {
  const JobFiles& files = context_.jobFiles;
  const ConversionChoice& choice = context_.conversion;
  switch (static_cast<ResourceKind>(kind)) {
    case ResourceKind::PostScript: return {files.postScript};
    case ResourceKind::PclSoftFont: return {files.pcl};
    case ResourceKind::TrueType:
      if (choice.toType1) return {files.postScript};
      if (choice.toPclTrueType) return {files.pcl};
      if (choice.both) return {files.postScript, files.pcl};
      unsentStatus = kNotConvertedText;
      return {};
    case ResourceKind::None: {
      // Macros, forms and print files: what preparation placed.
      std::vector<std::shared_ptr<JobFile>> sent;
      for (const SentResource& placed : context_.sent) sent.push_back(placed.jobFile);
      return sent;
    }
  }
  return {};
}

const char* DownloadWorker::KeepJobsThePrinterSpeaks(uint32_t address,
                                                     std::vector<std::shared_ptr<JobFile>>& jobFiles) {
  const PrinterAbilities abilities = RunPrinterAbilities().Get(address);
  const auto languageOf = [&](const std::shared_ptr<JobFile>& jobFile) {
    if (jobFile && jobFile == context_.jobFiles.postScript) return ResourceLanguage::kPostScript;
    if (jobFile && jobFile == context_.jobFiles.pcl) return ResourceLanguage::kPcl;
    for (const SentResource& placed : context_.sent) {
      if (placed.jobFile != jobFile) continue;
      if (placed.kind == SentKind::kPclMacro) return ResourceLanguage::kPcl;
      if (placed.kind == SentKind::kPostScriptForm) return ResourceLanguage::kPostScript;
    }
    return ResourceLanguage::kUnknown;
  };
  const char* refusal = nullptr;
  std::erase_if(jobFiles, [&](const std::shared_ptr<JobFile>& jobFile) {
    const char* why = LanguageRefusal(abilities, languageOf(jobFile));
    if (!why) return false;
    refusal = why;
    // What is not sent is not looked for on the printer afterwards.
    std::erase_if(context_.sent, [&](const SentResource& placed) { return placed.jobFile == jobFile; });
    return true;
  });
  return jobFiles.empty() ? refusal : nullptr;
}

void DownloadWorker::DeleteJobFiles() {
  context_.jobFiles = {};
  for (const char* name : {kJobFileName, kSecondJobFileName}) context_.jobFolder.RemoveFile(name);
}
