// The Resource Manager's logic: the printers it works on, the resource
// list, the storage location, the download and its worker, and the export
// to one print file.
//
// It runs on the user-interface thread. It keeps its own copies of the
// printers it is given, so the opener's list may grow or move meanwhile;
// printers are matched by address. While a download runs, nothing that
// changes the resource list or the printers can be used, and the worker
// works on copies of both made when it started. The window closes only
// once the worker has ended: a close asked while it still runs takes effect
// when the worker reports its end.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "download/classify_resource.h"
#include "download/download_worker.h"
#include "download/ui_thread_job_services.h"
#include "printers/printer_record.h"

class UiThread;

// Why an export wrote nothing to the chosen file ("%s": its path).
inline constexpr char kExportNotRegularText[] = "%s is not a regular file: nothing was exported.";
inline constexpr char kExportIsAnInputText[] = "%s is one of the files to export: nothing was exported.";
inline constexpr char kExportForeignLinkText[] =
    "%s is a link of another user in a folder others can write to: nothing was exported.";
inline constexpr char kExportNotCreatedText[] = "No file can be made beside %s: nothing was exported.";
inline constexpr char kExportNotWrittenText[] =
    "The export to %s could not be written whole; the file was left as it was.";

// What the logic needs from its window.
class ResourceManagerHost {
 public:
  virtual ~ResourceManagerHost() = default;
  virtual void StateChanged() = 0;
  // The Add to List file dialog: the full paths chosen, in its order; none
  // when cancelled.
  virtual std::vector<std::string> ChooseResourceFiles() = 0;
  // The Export to file save dialog: the path, or empty when cancelled.
  virtual std::string ChooseExportFile() = 0;
  // A box with a text made here rather than taken from the string table.
  virtual void ShowText(const std::string& text) = 0;
  virtual void SetWaitCursor(bool busy) = 0;
  virtual void OpenEditPrinterList() = 0;
  virtual void OpenHelp(const std::string& path) = 0;
  virtual void Close() = 0;
};

struct ResourceManagerServices {
  MessageBoxes& boxes;                 // user-interface thread
  ResourceJobQuestions& questions;     // user-interface thread
  UiThread& uiThread;
  ConverterOperations& converter;
  Clock& clock;
  JobSubmitter submit;
  std::string jobDirectory;  // where the temporary job files go (a JobFolder)
};

class ResourceManagerLogic final : public DownloadWorkerEvents {
 public:
  struct Row {
    ResourceRow texts;
    std::string path;
  };

  // `targets` are the printers to work on, `allPrinters` every printer the
  // Edit Printer List dialog offers; both are copied.
  ResourceManagerLogic(ResourceManagerHost& host, ResourceManagerServices services,
                       const std::vector<PrinterRecord*>& targets,
                       const std::vector<PrinterRecord*>& allPrinters, bool editListAllowed = true);
  // Stops a worker still running and waits for it.
  ~ResourceManagerLogic() override;
  ResourceManagerLogic(const ResourceManagerLogic&) = delete;
  ResourceManagerLogic& operator=(const ResourceManagerLogic&) = delete;

  // Commands.
  void OnCommand(int id);
  void OnPrinterSelectionChanged(int index);
  void OnRowSelectionChanged(std::vector<int> selectedRows);
  // Add to List with the files a file dialog returned.
  void AddFiles(const std::vector<std::string>& paths);
  void RemoveSelectedRows();
  void Download();
  void StopDownload();
  void Close();
  void Cancel();
  void ExportToFile();
  // The Edit Printer List dialog's Apply: these printers of allPrinters(),
  // by index, become the targets.
  void ApplyPrinterSelection(const std::vector<int>& checked);

  // State for the window to show.
  const std::vector<Row>& rows() const { return rows_; }
  const std::vector<std::unique_ptr<PrinterRecord>>& targets() const { return targets_; }
  const std::vector<std::unique_ptr<PrinterRecord>>& allPrinters() const { return allPrinters_; }
  // Whether allPrinters()[index] is among the targets (same address).
  bool IsTarget(int index) const;
  // The Selected Printers list's entries: " (LAB2)  -Model 40".
  std::vector<std::string> PrinterEntries() const;
  // The Edit Printer List dialog's items, one per allPrinters() entry:
  // "LAB2 - (Model 40 )".
  std::vector<std::string> EditListItems() const;
  int selectedPrinter() const { return selectedPrinter_; }
  StorageLocation downloadLocation() const { return downloadLocation_; }
  bool IsEnabled(int controlId) const;
  // The results of the last download, one entry per printer it served (the
  // targets when it started), each with one outcome per row; filled as the
  // download runs and kept after it. Empty before a download, and after an
  // export, whose outcomes are the rows' status texts.
  const std::vector<std::vector<ResourceOutcome>>& results() const { return results_; }
  // What the last export wrote: one file per row, in their order.
  const ExportReport& lastExport() const { return export_; }
  // The names of the printers of results(), in their order.
  const std::vector<std::string>& resultPrinters() const { return resultPrinters_; }
  // The printer of results() being served; -1 when none is.
  int currentPrinter() const { return worker_ ? progress_.printer : -1; }
  // The status bar's four parts; the first tells how far a download is:
  // "Printer 2 of 3: LAB2, resource 1 of 4", at its end what it did:
  // "3 printers: 2 done, 1 skipped: no hard disk", else "Ready".
  std::vector<std::string> StatusParts() const;
  DownloadState state() const { return state_.Load(); }
  bool downloading() const { return worker_ != nullptr; }
  const ConversionChoice& conversion() const { return jobContext_.conversion; }
  const JobFiles& jobFiles() const { return jobContext_.jobFiles; }
  // Why the last export left the chosen file as it was; empty when it did
  // not fail.
  const std::string& exportProblem() const { return exportProblem_; }

 private:
  // DownloadWorkerEvents: the worker's thread; each is carried over to the
  // user-interface thread.
  void PrinterStarted(int index) override;
  void ResourceOutcomeChanged(int printer, int row, const ResourceOutcome& outcome) override;
  void Ended(const ConversionChoice& conversion) override;
  void OnUiThread(std::function<void()> call);
  void WorkerEnded(const ConversionChoice& conversion);

  void SelectPrinter(int index);
  // Enables the storage radios the targets have, and moves the location to
  // an enabled one.
  void OfferTargetsStorage();
  std::string ProgressText() const;
  // Names the targets that lack the chosen storage in one question; false
  // when the user cancels the download.
  bool SkipPrintersWithoutStorage();
  void ResetJobFiles();
  // Writes every row's jobs into the export file and tells what became of
  // them in export_; false when a job could not be written whole.
  bool ExportRows();
  // Writes the jobs of `row` into the export file; its ResourceJobResult.
  int ExportRow(const Row& row, ResourceOutcome& outcome);
  // Shows `format` with the export's path in place of its "%s".
  void ReportExportProblem(const char* format, const std::string& path);

  ResourceManagerHost& host_;
  ResourceManagerServices services_;
  bool editListAllowed_;
  std::vector<std::unique_ptr<PrinterRecord>> targets_;
  std::vector<std::unique_ptr<PrinterRecord>> allPrinters_;

  std::vector<Row> rows_;
  std::vector<int> selectedRows_;
  int selectedPrinter_ = -1;
  bool hardDiskEnabled_ = true;
  bool flashEnabled_ = false;
  // The printer (index into targets_) and row the worker is at.
  struct Progress {
    int printer = 0;
    int row = 0;
  } progress_;
  StorageLocation downloadLocation_ = kHardDisk;
  std::vector<std::vector<ResourceOutcome>> results_;
  std::vector<std::string> resultPrinters_;
  std::string summary_;  // of the last download, once it ended
  ExportReport export_;
  bool exporting_ = false;
  std::string exportProblem_;

  // Export and the worker each prepare jobs with their own context; this
  // one keeps the conversion choice between them.
  ResourceJobContext jobContext_;
  DownloadStateWord state_;
  BlockingUiCalls gate_;
  UiThreadMessageBoxes workerBoxes_;
  UiThreadJobQuestions workerQuestions_;
  std::unique_ptr<DownloadWorker> worker_;
  bool closeWhenEnded_ = false;
  std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
};
