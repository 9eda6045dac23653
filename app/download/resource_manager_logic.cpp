#include "download/resource_manager_logic.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "download/converter_operations.h"
#include "download/export_file.h"
#include "download/resource_manager_ids.h"
#include "printers/app_directory.h"
#include "printers/printer_name.h"
#include "printers/printer_settings.h"
#include "ui/resource_module.h"
#include "ui/ui_thread.h"

using namespace resource_manager;

namespace {

std::vector<std::unique_ptr<PrinterRecord>> CopyPrinters(const std::vector<PrinterRecord*>& printers) {
  std::vector<std::unique_ptr<PrinterRecord>> copies;
  for (const PrinterRecord* printer : printers) copies.push_back(std::make_unique<PrinterRecord>(*printer));
  return copies;
}

// String `id`, a "%d" text, with `count` in place of its "%d".
std::string CountText(int id, int count) {
  std::string text = LoadResourceString(id);
  const size_t at = text.find("%d");
  if (at != std::string::npos) text.replace(at, 2, std::to_string(count));
  return text;
}

}  // namespace

ResourceManagerLogic::ResourceManagerLogic(ResourceManagerHost& host, ResourceManagerServices services,
                                           const std::vector<PrinterRecord*>& targets,
                                           const std::vector<PrinterRecord*>& allPrinters,
                                           bool editListAllowed)
    : host_(host),
      services_(std::move(services)),
      editListAllowed_(editListAllowed),
      targets_(CopyPrinters(targets)),
      allPrinters_(CopyPrinters(allPrinters)),
      jobContext_(services_.converter, services_.questions, services_.boxes, services_.jobDirectory),
      gate_(services_.uiThread),
      workerBoxes_(gate_, services_.boxes),
      workerQuestions_(gate_, services_.questions) {
  ResetJobFiles();
  SelectPrinter(targets_.empty() ? -1 : 0);
  OfferTargetsStorage();
}

ResourceManagerLogic::~ResourceManagerLogic() {
  state_.Store(DownloadState::Stopped);
  gate_.Close();
  worker_.reset();
}

void ResourceManagerLogic::OnCommand(int id) {
  switch (id) {
    case kAddButton:
      if (IsEnabled(kAddButton)) AddFiles(host_.ChooseResourceFiles());
      break;
    case kRemoveButton: RemoveSelectedRows(); break;
    case kEditPrinterListButton:
      if (IsEnabled(kEditPrinterListButton)) host_.OpenEditPrinterList();
      break;
    case kHardDiskRadio:
      if (hardDiskEnabled_) downloadLocation_ = kHardDisk;
      break;
    case kFlashMemoryRadio:
      if (flashEnabled_) downloadLocation_ = kFlashMemory;
      break;
    case kDownloadButton: Download(); break;
    case kStopButton: StopDownload(); break;
    case kExportButton: ExportToFile(); break;
    case kCloseButton: Close(); break;
    case kCancelButton: Cancel(); break;
    case kHelpButton: host_.OpenHelp(AppDataFilePath(kHelpFileName)); break;
    default: break;
  }
  host_.StateChanged();
}

void ResourceManagerLogic::OnPrinterSelectionChanged(int index) { SelectPrinter(index); }

void ResourceManagerLogic::SelectPrinter(int index) {
  selectedPrinter_ = index >= 0 && index < static_cast<int>(targets_.size()) ? index : -1;
}

void ResourceManagerLogic::OfferTargetsStorage() {
  // Without printers (an export alone) nothing limits the choice.
  auto anyHas = [this](StorageLocation location) {
    return targets_.empty() || std::any_of(targets_.begin(), targets_.end(), [location](const auto& printer) {
             return HasStorage(printer->storageOptions, location);
           });
  };
  hardDiskEnabled_ = anyHas(kHardDisk);
  flashEnabled_ = anyHas(kFlashMemory);
  if (downloadLocation_ == kHardDisk && !hardDiskEnabled_ && flashEnabled_) downloadLocation_ = kFlashMemory;
  if (downloadLocation_ == kFlashMemory && !flashEnabled_ && hardDiskEnabled_) downloadLocation_ = kHardDisk;
}

void ResourceManagerLogic::OnRowSelectionChanged(std::vector<int> selectedRows) {
  selectedRows_ = std::move(selectedRows);
}

void ResourceManagerLogic::AddFiles(const std::vector<std::string>& paths) {
  if (worker_) return;  // the worker reads the list it started with
  // One message names every file refused, after all were looked at.
  std::vector<std::string> refused;
  for (const std::string& path : paths) {
    try {
      ResourceRow row = ClassifyResource(path, [this](const char* file, char* name, ResourceKindInfo* info) {
        return services_.converter.ClassifyFontFile(file, name, info);
      });
      if (!row.accepted) {
        refused.push_back(row.fileName);
        continue;
      }
      rows_.push_back(Row{std::move(row), path});
    } catch (const std::bad_alloc&) {
      services_.boxes.Show(kOutOfMemoryText);
    }
  }
  if (!refused.empty()) services_.boxes.ShowMessage(InvalidFilesText(refused));
  host_.StateChanged();
}

void ResourceManagerLogic::RemoveSelectedRows() {
  if (worker_) return;
  std::vector<int> selected = selectedRows_;
  std::sort(selected.begin(), selected.end());
  selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
  int removed = 0;
  for (int row : selected) {
    const int at = row - removed;
    if (at < 0 || at >= static_cast<int>(rows_.size())) continue;
    rows_.erase(rows_.begin() + at);
    ++removed;
  }
  selectedRows_.clear();
}

void ResourceManagerLogic::Download() {
  if (worker_) return;  // one download at a time, on one set of job files
  if (rows_.empty()) {
    services_.boxes.Show(kSelectFontsText);
    return;
  }
  DownloadPlan plan;
  for (const auto& printer : targets_) {
    const PrinterSettings settings = RunPrinterSettings().Get(printer->address);
    DownloadPrinter served{FormatAddress(printer->address), printer->storageOptions, settings.verifyDownloads};
    served.record = *printer;
    served.port = settings.port;
    plan.printers.push_back(std::move(served));
  }
  for (const Row& row : rows_) plan.resourcePaths.push_back(row.path);
  if (!SkipPrintersWithoutStorage()) return;
  // Asked once for every printer, before the first.
  plan.answers =
      AskDownloadQuestions(plan.resourcePaths, jobContext_.conversion, services_.converter, services_.questions);
  plan.location = downloadLocation_;
  plan.conversion = jobContext_.conversion;
  results_.assign(plan.printers.size(), std::vector<ResourceOutcome>(rows_.size()));
  resultPrinters_.clear();
  for (const auto& printer : targets_) resultPrinters_.push_back(printer->printerName);
  summary_.clear();
  // Set before the worker exists, so a Stop given before its first step
  // is not overwritten.
  state_.Store(DownloadState::Downloading);
  closeWhenEnded_ = false;
  progress_ = {0, 0};
  worker_ = std::make_unique<DownloadWorker>(
      std::move(plan), state_, *this,
      DownloadWorkerServices{services_.converter, workerQuestions_, workerBoxes_, services_.jobDirectory,
                             services_.clock, services_.submit});
  worker_->Start();
}

bool ResourceManagerLogic::SkipPrintersWithoutStorage() {
  std::string lacking;
  for (const auto& printer : targets_)
    if (!HasStorage(printer->storageOptions, downloadLocation_))
      lacking += (lacking.empty() ? "" : ", ") + std::string(printer->printerName);
  if (lacking.empty()) return true;
  std::string question =
      LoadResourceString(downloadLocation_ == kFlashMemory ? kNoFlashMemoryQuestion : kNoHardDiskQuestion);
  question.replace(question.find("%s"), 2, lacking);
  return services_.boxes.ShowMessage(question, MB_OKCANCEL) == IDOK;
}

void ResourceManagerLogic::StopDownload() {
  if (!state_.Change({DownloadState::Downloading}, DownloadState::StopPending)) return;
  const int answer = services_.boxes.Show(kStopQuestionText, MB_OKCANCEL);
  if (answer == IDOK)
    state_.Change({DownloadState::StopPending}, DownloadState::Stopped);
  else
    state_.Change({DownloadState::StopPending}, DownloadState::Downloading);
}

void ResourceManagerLogic::Close() {
  switch (state_.Load()) {
    case DownloadState::Idle:
    case DownloadState::Stopped:
      // A worker told to stop may still be sending: the window goes when it
      // reports its end, and keeps handling events until then.
      if (worker_)
        closeWhenEnded_ = true;
      else
        host_.Close();
      return;
    case DownloadState::Downloading:
      state_.Change({DownloadState::Downloading}, DownloadState::CloseRequested);
      break;
    case DownloadState::StopPending:
    case DownloadState::CloseRequested: break;
  }
  services_.boxes.Show(kCannotCloseText);
}

void ResourceManagerLogic::Cancel() {
  if (state_.Change({DownloadState::Downloading, DownloadState::StopPending, DownloadState::CloseRequested},
                    DownloadState::Stopped)) {
    services_.boxes.Show(kCannotCloseText);
    return;
  }
  Close();
}

void ResourceManagerLogic::ExportToFile() {
  if (worker_ || exporting_) return;
  if (rows_.empty()) {
    services_.boxes.Show(kSelectFontsText);
    return;
  }
  const std::string path = host_.ChooseExportFile();
  if (path.empty()) return;
  exportProblem_.clear();
  // Each export asks the names of its macros and forms afresh.
  jobContext_.resourceNames.clear();
  // A new file holds this export's jobs alone; it replaces the old one
  // when it is whole.
  ExportFile output;
  std::vector<std::string> inputs;
  for (const Row& row : rows_) inputs.push_back(row.path);
  if (const ExportFile::Opened opened = output.Open(path, inputs); opened != ExportFile::Opened::kOpen) {
    ReportExportProblem(opened == ExportFile::Opened::kNotRegularFile ? kExportNotRegularText
                        : opened == ExportFile::Opened::kIsAnInput    ? kExportIsAnInputText
                        : opened == ExportFile::Opened::kForeignLink  ? kExportForeignLinkText
                                                                      : kExportNotCreatedText,
                        path);
    return;
  }
  exporting_ = true;
  jobContext_.jobFiles = {output.file(), output.file()};
  jobContext_.downloadLocation = downloadLocation_;
  results_.clear();
  resultPrinters_.clear();
  summary_.clear();
  host_.StateChanged();
  host_.SetWaitCursor(true);
  export_ = {path, 0, {}};
  for (const Row& row : rows_) export_.files.push_back({row.texts.fileName, {}});
  const bool written = ExportRows() && output.Commit();
  host_.SetWaitCursor(false);
  if (written) {
    // Told once the file is in place, and what it holds.
    host_.ShowText(ExportSummary(export_) + LoadResourceString(kSendLaterText));
  } else {
    // Nothing reached the file the user chose.
    export_.jobs = 0;
    for (size_t i = 0; i < export_.files.size(); ++i) {
      if (export_.files[i].outcome.what != Outcome::kExported) continue;
      export_.files[i].outcome = {};
      rows_[i].texts.status = kNotDownloadedText;
    }
    ReportExportProblem(kExportNotWrittenText, path);
  }
  // The export file is let go: nothing later writes into it.
  ResetJobFiles();
  exporting_ = false;
}

void ResourceManagerLogic::ReportExportProblem(const char* format, const std::string& path) {
  exportProblem_ = format;
  exportProblem_.replace(exportProblem_.find("%s"), 2, path);
  host_.ShowText(exportProblem_);
}

bool ResourceManagerLogic::ExportRows() {
  for (size_t i = 0; i < rows_.size(); ++i) {
    Row& row = rows_[i];
    ResourceOutcome& outcome = export_.files[i].outcome;
    const int result = ExportRow(row, outcome);
    row.texts.status = OutcomeText(outcome);
    if (outcome.what == Outcome::kExported) export_.jobs += static_cast<int>(jobContext_.sent.size());
    host_.StateChanged();
    // The file is incomplete: the rest could only follow a gap.
    if (result == kResourceJobWriteFailed) return false;
  }
  return true;
}

int ResourceManagerLogic::ExportRow(const Row& row, ResourceOutcome& outcome) {
  char fontName[GLY_FONT_NAME_SIZE] = {};
  ResourceKindInfo kindInfo{};
  if (services_.converter.ClassifyFontFile(row.path.c_str(), fontName, &kindInfo) != 0) {
    if (PassThroughKindOf(row.texts.fileName) == PassThroughKind::kNone) {
      services_.boxes.ShowMessage(InvalidFilesText({row.texts.fileName}));
      outcome.what = Outcome::kInvalidFile;
      return kResourceJobNotWritten;
    }
    kindInfo = {};  // not a font: it goes by its extension
  }
  const int result = PrepareResourceJob(jobContext_, row.path.c_str(), fontName, kindInfo, true);
  if (result != kResourceJobDone) {
    outcome.what = PreparationFailure(result);
    return result;
  }
  // A TrueType font with no conversion chosen wrote nothing.
  outcome.what = jobContext_.sent.empty() ? Outcome::kNotConverted : Outcome::kExported;
  outcome.charactersLeftOut = jobContext_.charactersLeftOut;
  outcome.unboundSymbolSet = jobContext_.unboundSymbolSet;
  return result;
}

void ResourceManagerLogic::ResetJobFiles() { jobContext_.jobFiles = {}; }

void ResourceManagerLogic::ApplyPrinterSelection(const std::vector<int>& checked) {
  if (worker_) return;  // the worker serves the printers it started with
  targets_.clear();
  for (int index : checked)
    if (index >= 0 && index < static_cast<int>(allPrinters_.size()))
      targets_.push_back(std::make_unique<PrinterRecord>(*allPrinters_[static_cast<size_t>(index)]));
  SelectPrinter(targets_.empty() ? -1 : 0);
  OfferTargetsStorage();
  host_.StateChanged();
}

bool ResourceManagerLogic::IsTarget(int index) const {
  if (index < 0 || index >= static_cast<int>(allPrinters_.size())) return false;
  const uint32_t address = allPrinters_[static_cast<size_t>(index)]->address;
  return std::any_of(targets_.begin(), targets_.end(),
                     [address](const auto& target) { return target->address == address; });
}

std::vector<std::string> ResourceManagerLogic::PrinterEntries() const {
  std::vector<std::string> entries;
  for (const auto& printer : targets_)
    entries.push_back(PrinterDisplayName(*printer));
  return entries;
}

std::vector<std::string> ResourceManagerLogic::EditListItems() const {
  std::vector<std::string> items;
  for (const auto& printer : allPrinters_)
    items.push_back(PrinterDisplayName(*printer));
  return items;
}

bool ResourceManagerLogic::IsEnabled(int controlId) const {
  const bool idle = !worker_ && !exporting_;
  switch (controlId) {
    case kDownloadButton:
    case kExportButton:
    case kAddButton: return idle;
    case kRemoveButton: return idle && !rows_.empty();
    case kEditPrinterListButton: return idle && editListAllowed_;
    case kStopButton: return worker_ && state_.Load() != DownloadState::Stopped;
    case kHardDiskRadio: return hardDiskEnabled_;
    case kFlashMemoryRadio: return flashEnabled_;
    default: return true;
  }
}

std::string ResourceManagerLogic::ProgressText() const {
  if (!worker_) return summary_.empty() ? LoadResourceString(kReadyText) : summary_;
  const size_t printer = static_cast<size_t>(progress_.printer);
  std::string text = "Printer " + std::to_string(progress_.printer + 1) + " of " + std::to_string(targets_.size());
  if (printer < targets_.size()) text += ": " + PrinterDisplayName(*targets_[printer]);
  return text + ", resource " + std::to_string(progress_.row + 1) + " of " + std::to_string(rows_.size());
}

std::vector<std::string> ResourceManagerLogic::StatusParts() const {
  return {ProgressText(), CountText(kFontCountText, static_cast<int>(rows_.size())),
          CountText(kPrinterCountText, static_cast<int>(targets_.size())), ""};
}

void ResourceManagerLogic::OnUiThread(std::function<void()> call) {
  services_.uiThread.Post([alive = std::weak_ptr<const bool>(alive_), call = std::move(call), this] {
    if (!alive.lock()) return;
    call();
    host_.StateChanged();
  });
}

void ResourceManagerLogic::PrinterStarted(int index) {
  OnUiThread([this, index] {
    SelectPrinter(index);
    progress_ = {index, 0};
  });
}

void ResourceManagerLogic::ResourceOutcomeChanged(int printer, int row, const ResourceOutcome& outcome) {
  OnUiThread([this, printer, row, outcome] {
    // Each printer has cells of its own: a later printer never overwrites
    // what an earlier one did.
    if (printer < 0 || printer >= static_cast<int>(results_.size())) return;
    std::vector<ResourceOutcome>& cells = results_[static_cast<size_t>(printer)];
    if (row < 0 || row >= static_cast<int>(cells.size())) return;
    cells[static_cast<size_t>(row)] = outcome;
    if (outcome.what == Outcome::kInProgress) progress_.row = row;
  });
}

void ResourceManagerLogic::Ended(const ConversionChoice& conversion) {
  OnUiThread([this, conversion] { WorkerEnded(conversion); });
}

void ResourceManagerLogic::WorkerEnded(const ConversionChoice& conversion) {
  worker_.reset();  // it has nothing left to do but end
  jobContext_.conversion = conversion;
  summary_ = DownloadSummary(results_);
  SelectPrinter(targets_.empty() ? -1 : 0);
  if (closeWhenEnded_) host_.Close();
}
