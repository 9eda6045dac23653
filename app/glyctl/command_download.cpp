// download and export: resource files onto printers, or into one print
// file, on the download worker and the Resource Manager's export.
#include <algorithm>

#include "download/classify_resource.h"
#include "download/converter_operations.h"
#include "download/job_folder.h"
#include "download/resource_manager_ids.h"
#include "download/resource_manager_logic.h"
#include "glyctl/command_support.h"
#include "glyctl/exit_codes.h"
#include "glyctl/parallel_download.h"
#include "printers/printer_list_file.h"
#include "printers/printer_settings.h"
#include "ui/resource_module.h"

namespace {

// The Resource Manager's window for an export: the file is the one given,
// and the rest of the window is not there.
class ExportWindow final : public ResourceManagerHost {
 public:
  explicit ExportWindow(std::string path) : path_(std::move(path)) {}
  void StateChanged() override {}
  std::vector<std::string> ChooseResourceFiles() override { return {}; }
  std::string ChooseExportFile() override { return path_; }
  // The output says what was written, from lastExport(); a failed export
  // is told from exportProblem().
  void ShowText(const std::string&) override {}
  void SetWaitCursor(bool) override {}
  void OpenEditPrinterList() override {}
  void OpenHelp(const std::string&) override {}
  void Close() override {}

 private:
  std::string path_;
};

void SayNoJobFolder(CommandRun& run) {
  const std::string& scratch = run.environment.scratchFolder;
  run.console.Message("cannot make a private job folder in " +
                      (scratch.empty() ? std::string("$XDG_RUNTIME_DIR, $TMPDIR or /tmp") : scratch) +
                      ": it must be a folder of yours closed to others, or root's with the sticky bit");
}

// The exit status of a download from its outcomes: a stalled printer, one
// that asks for credentials, a stuck IPP job, a refusal, then any other
// failure, then a printer skipped for its storage, then what could not be
// confirmed; without verification "Sent, not confirmed" is as good as done.
class DownloadExit {
 public:
  explicit DownloadExit(bool verify) : verify_(verify) {}
  void Add(const ResourceOutcome& outcome) {
    if (IsDone(outcome, verify_)) return;
    switch (outcome.what) {
      case Outcome::kSendFailed:
        if (outcome.jobError == JOB_ERR_STOPPED_TAKING_DATA) stalled_ = true;
        else if (outcome.jobError == JOB_ERR_IPP_CREDENTIALS) credentials_ = true;
        else if (outcome.jobError == JOB_ERR_IPP_JOB_STUCK) stuck_ = true;
        else failed_ = true;
        break;
      case Outcome::kRefused: refused_ = true; break;
      case Outcome::kNoStorage: noStorage_ = true; break;
      case Outcome::kSentNotConfirmed: notConfirmed_ = true; break;
      default: failed_ = true; break;
    }
  }
  int exitStatus() const {
    return stalled_ ? kExitStoppedTakingData : credentials_ ? kExitNeedsCredentials : stuck_ ? kExitJobStuck
           : refused_ ? kExitRefused : failed_ ? kExitPartly : noStorage_ ? kExitNoStorage
           : notConfirmed_ ? kExitNotConfirmed : kExitOk;
  }

 private:
  bool verify_;
  bool stalled_ = false, credentials_ = false, stuck_ = false, refused_ = false, failed_ = false, noStorage_ = false, notConfirmed_ = false;
};

}  // namespace

int RunDownload(CommandRun& run) {
  const std::vector<std::string>& files = run.line.positional;
  std::vector<std::string> addresses = run.line.Values("printers");
  if (const std::optional<std::string> list = run.line.Value("printers-file")) {
    std::string error;
    const std::optional<std::vector<SavedPrinter>> saved = ReadPrinterListFile(*list, error);
    if (!saved) {
      run.console.Message(error);
      return kExitBadInput;
    }
    for (const SavedPrinter& printer : *saved) {
      addresses.push_back(FormatAddress(printer.address));
      KeepSavedSettings(printer, RunPrinterSettings());
    }
  }
  if (files.empty() || addresses.empty()) {
    run.console.Message("download takes one or more FILEs and --printers with one or more ADDRESSes");
    return kExitUsage;
  }
  const std::optional<OutputFormat> format = OutputFormatOf(run);
  const std::optional<StorageLocation> location = StorageLocationOf(run);
  const std::optional<ConversionOptions> conversion = ConversionOf(run);
  const std::optional<int> parallel = ParallelOf(run);
  const std::optional<std::optional<JobPort>> port = JobPortOf(run);
  const std::optional<std::optional<LprPacing>> pacing = LprPacingOf(run);
  if (!format || !location || !conversion || !parallel || !port || !pacing) return kExitUsage;
  // Nothing is sent unless every file is a resource and every printer answers.
  if (!CheckResourceFiles(run, files)) return kExitBadInput;
  const std::optional<ResourceNames> names = ResourceNamesOf(run, files);
  if (!names) return kExitUsage;
  ConsolePrinters printers(run.console, run.communities, AskAbilities::kYes);
  int failure = kExitOk;
  const std::vector<PrinterRecord*> targets = LookUpPrinters(run, printers, addresses, failure);
  if (targets.empty()) return failure;

  const bool verify = !run.line.Has("no-verify");
  // --lpr-pacing for all, else what the list saved: the LPR job port paces
  // each printer as the run's settings say.
  if (*pacing) {
    for (const PrinterRecord* printer : targets) {
      PrinterSettings settings = RunPrinterSettings().Get(printer->address);
      settings.lprPacing = **pacing;
      RunPrinterSettings().Set(printer->address, settings);
    }
  }
  DownloadPlan plan;
  // --port and --no-verify for all, else what the list saved for a printer.
  for (const PrinterRecord* printer : targets) {
    const PrinterSettings settings = RunPrinterSettings().Get(printer->address);
    DownloadPrinter served{FormatAddress(printer->address), printer->storageOptions, verify && settings.verifyDownloads};
    served.record = *printer;
    served.port = port->value_or(settings.port);
    plan.printers.push_back(std::move(served));
  }
  plan.resourcePaths = files;
  plan.location = *location;
  static_cast<ConversionOptions&>(plan.conversion) = *conversion;
  plan.conversion.applyToAll = true;
  plan.conversion.askConversion = false;

  ConsoleBoxes boxes(run.console);
  FixedConversionQuestions questions(*conversion, names->macroId, names->formName);
  ParallelDownloadServices services{ConverterLibrary(), questions, boxes, run.environment.clock,
                                    run.environment.submit, run.environment.scratchFolder,
                                    [&run](int done) { run.console.Advance(done); }};
  std::vector<PrinterDownload> results;
  run.console.StartProgress(static_cast<int>(targets.size() * files.size()), "Downloading");
  const bool folders = RunParallelDownload(plan, *parallel, services, results);
  run.console.EndProgress();
  if (!folders) SayNoJobFolder(run);

  // One line per printer and resource; JSON carries the outcome itself
  // beside its text, and a table ends with what the download did.
  OutputTable table;
  table.columns = {{"Printer", "printer"}, {"File", "file"}, {"Status", "status"}};
  if (*format == OutputFormat::kJson)
    table.columns.insert(table.columns.end(), {{"Outcome", "outcome"},
                                               {"Characters left out", "characters_left_out", CellType::kNumber},
                                               {"Printer says", "printer_says"}});
  DownloadExit exit(verify);
  std::vector<std::vector<ResourceOutcome>> outcomes;
  for (size_t p = 0; p < results.size(); ++p) {
    outcomes.push_back(results[p].outcomes);
    for (size_t r = 0; r < files.size(); ++r) {
      const ResourceOutcome& outcome = results[p].outcomes.at(r);
      exit.Add(outcome);
      table.rows.push_back({plan.printers[p].address, FileNameOf(files[r]), OutcomeText(outcome)});
      if (*format == OutputFormat::kJson)
        table.rows.back().insert(table.rows.back().end(), {OutcomeName(outcome.what),
                                                          std::to_string(outcome.charactersLeftOut),
                                                          outcome.printerWords});
    }
  }
  WriteOutputTable(run.console.out(), table, *format);
  if (*format == OutputFormat::kTable) run.console.out() << DownloadSummary(outcomes, verify) << '\n';
  return exit.exitStatus();
}

int RunExport(CommandRun& run) {
  const std::vector<std::string>& files = run.line.positional;
  const std::optional<std::string> out = run.line.Value("out");
  if (files.empty() || !out) {
    run.console.Message("export takes one or more FILEs and --out JOB.prn");
    return kExitUsage;
  }
  const std::optional<OutputFormat> format = OutputFormatOf(run);
  const std::optional<StorageLocation> location = StorageLocationOf(run);
  const std::optional<ConversionOptions> conversion = ConversionOf(run);
  if (!format || !location || !conversion) return kExitUsage;
  if (!CheckResourceFiles(run, files)) return kExitBadInput;
  const std::optional<ResourceNames> names = ResourceNamesOf(run, files);
  if (!names) return kExitUsage;
  const JobFolder folder(run.environment.scratchFolder);
  if (folder.path().empty()) {
    SayNoJobFolder(run);
    return kExitCannotWrite;
  }

  ExportWindow window(*out);
  ConsoleBoxes boxes(run.console);
  FixedConversionQuestions questions(*conversion, names->macroId, names->formName);
  QueuedUiThread uiThread;
  ResourceManagerLogic logic(window,
                             ResourceManagerServices{boxes, questions, uiThread, ConverterLibrary(),
                                                     run.environment.clock, run.environment.submit, folder.path()},
                             {}, {}, false);
  logic.AddFiles(files);
  logic.OnCommand(*location == kFlashMemory ? resource_manager::kFlashMemoryRadio
                                             : resource_manager::kHardDiskRadio);
  logic.OnCommand(resource_manager::kExportButton);

  OutputTable table;
  table.columns = {{LoadResourceString(resource_manager::kFileNameHeading), "file"},
                   {LoadResourceString(resource_manager::kFontNameHeading), "font"},
                   {LoadResourceString(resource_manager::kResourceTypeHeading), "type"},
                   {LoadResourceString(resource_manager::kPersistanceHeading), "status"}};
  const ExportReport& exported = logic.lastExport();
  const bool allDone = std::all_of(exported.files.begin(), exported.files.end(),
                                   [](const ExportedFile& file) { return IsDone(file.outcome); });
  for (const ResourceManagerLogic::Row& row : logic.rows()) {
    table.rows.push_back({row.texts.fileName, row.texts.fontName, row.texts.typeText, row.texts.status});
  }
  WriteOutputTable(run.console.out(), table, *format);
  if (!logic.exportProblem().empty()) {
    run.console.Message(logic.exportProblem());
    return kExitCannotWrite;
  }
  // A table ends with what the file holds, as the window says it.
  if (*format == OutputFormat::kTable) run.console.out() << ExportSummary(exported) << '\n';
  return allDone ? kExitOk : kExitPartly;
}
