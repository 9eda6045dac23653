#include "download/download_worker.h"

#include "download/classify_resource.h"
#include "download/converter_operations.h"
#include "download/lpr.h"
#include "download/resource_kind.h"
#include "download/resource_manager_ids.h"
#include "printers/clock.h"
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

bool DownloadWorker::ServePrinter(const DownloadPrinter& printer) {
  // Neither hard disk nor flash memory: nothing can be stored there.
  if (printer.storageOptions == 0) return true;
  events_.StatusesReset();
  int jobNumber = 0;  // every printer numbers its jobs from 000
  int pacing = 0;
  const int rows = static_cast<int>(plan_.resourcePaths.size());
  for (int row = 0; row < rows;) {
    services_.clock.SleepMs(kWorkerStepMs);
    const DownloadState state = state_.Load();
    if (state == DownloadState::StopPending) continue;  // held while the stop question is open
    if (state == DownloadState::Stopped) break;
    if (pacing != 0) {
      pacing = (pacing + 1) % (kRestSteps + 1);
      continue;
    }
    if (HandleResource(printer, row, jobNumber)) pacing = 1;
    ++row;
  }
  // A close asked during the download lets this printer finish, no more.
  state_.Change({DownloadState::CloseRequested}, DownloadState::Stopped);
  if (state_.Load() == DownloadState::Stopped) return false;
  services_.clock.SleepMs(kPrinterRestMs);
  return true;
}

bool DownloadWorker::HandleResource(const DownloadPrinter& printer, int row, int& jobNumber) {
  const std::string& path = plan_.resourcePaths[static_cast<size_t>(row)];
  events_.RowStatus(row, kDownloadingText);
  char fontName[GLY_FONT_NAME_SIZE] = {};
  ResourceKindInfo kindInfo{};
  if (services_.converter.ClassifyFontFile(path.c_str(), fontName, &kindInfo) != 0) {
    services_.boxes.Show(resource_manager::kInvalidFontFileMessage);
    events_.RowStatus(row, kNotDownloadedText);
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
                                                                   : kJobNotWrittenText);
    return false;
  }
  std::string status =
      context_.charactersLeftOut > 0 ? ConvertedStatusText(context_.charactersLeftOut) : kDownloadedText;
  for (const std::shared_ptr<JobFile>& jobFile : JobFilesToSend(kind, status)) {
    const JobOutcome sent = jobFile ? services_.submit(printer.address.c_str(), printer.port, *jobFile, "GLY", jobNumber++)
                                    : JobOutcome(LPR_ERR_JOB_FILE_UNREADABLE);
    if (!sent.sent()) {
      status = JobFailureStatus(sent);
      break;
    }
  }
  DeleteJobFiles();
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
    case ResourceKind::None: break;
  }
  return {};
}

void DownloadWorker::DeleteJobFiles() {
  context_.jobFiles = {};
  for (const char* name : {kJobFileName, kSecondJobFileName}) context_.jobFolder.RemoveFile(name);
}
