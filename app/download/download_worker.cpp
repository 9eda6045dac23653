#include "download/download_worker.h"

#include <algorithm>

#include "download/classify_resource.h"
#include "download/download_check.h"
#include "download/lpr.h"
#include "download/resource_kind.h"
#include "printers/clock.h"
#include "printers/printer_abilities.h"
#include "snmp/contract/glysnmp.h"

namespace {

// A sent resource the printer was not asked about, or gave no answer for,
// keeps the notes of its conversion.
ResourceOutcome Unconfirmed(ResourceOutcome sent) {
  sent.what = Outcome::kSentNotConfirmed;
  return sent;
}

}  // namespace

DownloadWorker::DownloadWorker(DownloadPlan plan, DownloadStateWord& state, DownloadWorkerEvents& events,
                               DownloadWorkerServices services)
    : plan_(std::move(plan)), state_(state), events_(events), services_(std::move(services)), jobs_(services_.jobs) {
  if (!jobs_)
    jobs_ = std::make_shared<PreparedJobs>(services_.converter, services_.questions, services_.boxes,
                                           services_.jobDirectory, plan_.resourcePaths, plan_.answers,
                                           plan_.location, plan_.conversion);
}

DownloadWorker::~DownloadWorker() { Join(); }

void DownloadWorker::Start() { thread_ = std::thread([this] { Run(); }); }

void DownloadWorker::Join() {
  if (thread_.joinable()) thread_.join();
}

void DownloadWorker::Run() {
  const int printers = static_cast<int>(plan_.printers.size());
  int next = 0;
  while (next < printers) {
    events_.PrinterStarted(next);
    if (!ServePrinter(next++)) break;
  }
  // The printers a stop or a close left unserved say so.
  for (; next < printers; ++next)
    for (int row = 0; row < static_cast<int>(plan_.resourcePaths.size()); ++row)
      Report(next, row, {Outcome::kStopped});
  state_.Store(DownloadState::Stopped);
  ConversionChoice conversion = jobs_->conversion();
  conversion.askConversion = true;
  events_.Ended(conversion);
}

bool HasStorage(uint32_t storageOptions, StorageLocation location) {
  return (storageOptions & (location == kFlashMemory ? kStorageFlash : kStorageHardDisk)) != 0;
}

void DownloadWorker::Report(int printer, int row, const ResourceOutcome& outcome) {
  events_.ResourceOutcomeChanged(printer, row, outcome);
}

std::optional<ResourceOutcome> DownloadWorker::CannotTake(const DownloadPrinter& printer, const std::string& path,
                                                          const PreparedResource* prepared) const {
  // A print file needs no storage: the printer prints it and keeps nothing.
  const bool needsStorage =
      prepared ? prepared->needsStorage : PassThroughKindOf(FileNameOf(path)) != PassThroughKind::kPrintFile;
  if (needsStorage && !HasStorage(printer.storageOptions, plan_.location))
    return ResourceOutcome{Outcome::kNoStorage, plan_.location};
  return std::nullopt;
}

bool DownloadWorker::ServePrinter(int index) {
  const DownloadPrinter& printer = plan_.printers[static_cast<size_t>(index)];
  const int rows = static_cast<int>(plan_.resourcePaths.size());
  // What the printer cannot take is told at once, and nothing waits for it.
  std::vector<bool> turnedAway(static_cast<size_t>(rows), false);
  for (int row = 0; row < rows; ++row) {
    if (const auto why = CannotTake(printer, plan_.resourcePaths[static_cast<size_t>(row)], nullptr)) {
      turnedAway[static_cast<size_t>(row)] = true;
      Report(index, row, *why);
    }
  }
  // A printer that can take nothing is done at once.
  if (std::find(turnedAway.begin(), turnedAway.end(), false) == turnedAway.end()) return true;
  uint32_t password = 0;
  SnmpGetPjlPassword(printer.record.address, &password);
  int jobNumber = 0;  // every printer numbers its jobs from 000
  int pacing = 0;
  std::vector<SentRow> sentRows;
  int row = 0;
  while (row < rows) {
    if (turnedAway[static_cast<size_t>(row)]) {
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
    Report(index, row, {Outcome::kInProgress});
    if (HandleResource(index, row, password, jobNumber, sentRows)) pacing = 1;
    ++row;
  }
  // What a stop left unhandled says so.
  for (; row < rows; ++row)
    if (!turnedAway[static_cast<size_t>(row)]) Report(index, row, {Outcome::kStopped});
  // A stopped download does not wait for the printer's answers: what it
  // sent is not confirmed.
  if (state_.Load() != DownloadState::Stopped) ConfirmSentRows(index, sentRows);
  else
    for (const SentRow& sentRow : sentRows) Report(index, sentRow.row, Unconfirmed(sentRow.outcome));
  // A close asked during the download lets this printer finish, no more.
  state_.Change({DownloadState::CloseRequested}, DownloadState::Stopped);
  if (state_.Load() == DownloadState::Stopped) return false;
  services_.clock.SleepMs(kPrinterRestMs);
  return true;
}

void DownloadWorker::ConfirmSentRows(int index, const std::vector<SentRow>& sentRows) {
  std::vector<SentResource> asked;
  for (const SentRow& sentRow : sentRows) asked.insert(asked.end(), sentRow.sent.begin(), sentRow.sent.end());
  if (asked.empty()) return;
  const std::vector<Presence> answers =
      AskPrinterFor(plan_.printers[static_cast<size_t>(index)].record, asked, services_.clock);
  size_t next = 0;
  for (const SentRow& sentRow : sentRows) {
    const std::vector<Presence> parts(answers.begin() + static_cast<std::ptrdiff_t>(next),
                                      answers.begin() + static_cast<std::ptrdiff_t>(next + sentRow.sent.size()));
    next += sentRow.sent.size();
    switch (PresenceOfAll(parts)) {
      case Presence::kStored: Report(index, sentRow.row, sentRow.outcome); break;
      case Presence::kNotStored: Report(index, sentRow.row, {Outcome::kRefused}); break;
      case Presence::kUnknown: Report(index, sentRow.row, Unconfirmed(sentRow.outcome)); break;
    }
  }
}

bool DownloadWorker::HandleResource(int index, int row, uint32_t password, int& jobNumber,
                                    std::vector<SentRow>& sentRows) {
  const DownloadPrinter& printer = plan_.printers[static_cast<size_t>(index)];
  const std::shared_ptr<const PreparedResource> prepared = jobs_->Get(static_cast<size_t>(row), password);
  if (prepared->failure.what != Outcome::kNotSent) {
    Report(index, row, prepared->failure);
    return false;
  }
  if (const auto why = CannotTake(printer, plan_.resourcePaths[static_cast<size_t>(row)], prepared.get())) {
    Report(index, row, *why);
    return false;
  }
  // Of a resource made in two languages (a TrueType font converted both
  // ways) the printer gets what it speaks; nothing when it speaks neither.
  std::vector<std::shared_ptr<JobFile>> jobFiles = prepared->jobFiles;
  std::vector<SentResource> stored = prepared->stored;
  if (const std::optional<ResourceOutcome> refused = KeepJobsThePrinterSpeaks(printer.record.address, jobFiles, stored)) {
    Report(index, row, *refused);
    return false;
  }
  ResourceOutcome outcome{stored.empty() ? Outcome::kPrinted : Outcome::kStored};
  outcome.charactersLeftOut = prepared->charactersLeftOut;
  outcome.unboundSymbolSet = prepared->unboundSymbolSet;
  for (const std::shared_ptr<JobFile>& jobFile : jobFiles) {
    const JobOutcome sent = services_.submit(printer.address.c_str(), printer.port, *jobFile, "GLY", jobNumber++);
    if (!sent.sent()) {
      ResourceOutcome failed(Outcome::kSendFailed);
      failed.jobError = sent.code;
      failed.printerWords = sent.reasons;
      Report(index, row, failed);
      return true;
    }
  }
  if (outcome.what == Outcome::kStored && !printer.verify) {
    outcome.what = Outcome::kSentNotConfirmed;
  } else if (outcome.what == Outcome::kStored) {
    // The printer took it; whether it holds it is asked after the last
    // resource, when it has had time to store them all.
    sentRows.push_back({row, outcome, std::move(stored)});
    outcome.what = Outcome::kAwaitingCheck;
  }
  Report(index, row, outcome);
  return true;
}

std::optional<ResourceOutcome> DownloadWorker::KeepJobsThePrinterSpeaks(uint32_t address,
                                                                        std::vector<std::shared_ptr<JobFile>>& jobFiles,
                                                                        std::vector<SentResource>& stored) {
  const PrinterAbilities abilities = RunPrinterAbilities().Get(address);
  const auto languageOf = [&stored](const std::shared_ptr<JobFile>& jobFile) {
    for (const SentResource& placed : stored) {
      if (placed.jobFile != jobFile) continue;
      if (placed.kind == SentKind::kPclFont || placed.kind == SentKind::kPclMacro) return ResourceLanguage::kPcl;
      return ResourceLanguage::kPostScript;
    }
    return ResourceLanguage::kUnknown;  // a print file
  };
  std::optional<ResourceOutcome> refusal;
  std::erase_if(jobFiles, [&](const std::shared_ptr<JobFile>& jobFile) {
    const ResourceLanguage language = languageOf(jobFile);
    if (!LanguageRefusal(abilities, language)) return false;
    refusal = ResourceOutcome(language == ResourceLanguage::kPcl ? Outcome::kNoPcl : Outcome::kNoPostScript);
    // What is not sent is not looked for on the printer afterwards.
    std::erase_if(stored, [&](const SentResource& placed) { return placed.jobFile == jobFile; });
    return true;
  });
  return jobFiles.empty() ? refusal : std::nullopt;
}
