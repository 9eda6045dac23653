// The download worker: for each printer in turn, and for each listed
// resource in turn, prepares the resource's job and sends it over LPR;
// after a printer's resources it asks the printer whether each is there.
// A printer without the storage the download goes to gets only the print
// files. Every job carries the PJL password the SNMP library holds for the
// printer.
//
// It works on copies made when the download starts (the printers, the
// resource paths, the storage location and the conversion choice), so
// nothing the window does meanwhile changes what it reads. It tells the
// window what it did through DownloadWorkerEvents, on its own thread;
// questions and message boxes reach it through the ResourceJobQuestions and
// MessageBoxes it is given, which must carry them to the user-interface
// thread. Every wait goes through its Clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "download/download_job.h"
#include "download/download_outcome.h"
#include "download/download_questions.h"
#include "download/download_state.h"
#include "download/job_port.h"
#include "download/prepare_resource_job.h"
#include "download/prepared_jobs.h"
#include "download/sent_resource.h"
#include "printers/printer_record.h"

class Clock;

// Status cell texts of a row while and after it is handled.
inline constexpr const char* kDownloadingText = "Downloading...";
inline constexpr const char* kDownloadedText = "Downloaded";
inline constexpr const char* kInvalidPsFileText = "Invalid PS File";
inline constexpr const char* kInvalidTtfFileText = "Invalid TTF File";
// A print file the printer took: it prints it and keeps nothing to look for.
inline constexpr const char* kSentText = "Sent";
// The job folder's disk filled up while a TrueType font was converted.
inline constexpr const char* kScratchFullText = "Scratch Space Full";
// A job writer failed (and said why): nothing was sent.
inline constexpr const char* kJobNotWrittenText = "Job Not Written";
// A TrueType font for which no conversion was ever chosen: nothing was sent.
inline constexpr const char* kNotConvertedText = "Not Converted";
// What the printer said of a resource it took: seen there, or not there.
inline constexpr const char* kRefusedByPrinterText = "Refused by the printer";
// Sent, but the printer could not be asked, or was not to be.
inline constexpr const char* kSentNotConfirmedText = "Sent, not confirmed";
// Sent, and the printer is still to be asked: it is asked for every
// resource at once, after its last one.
inline constexpr const char* kAwaitingCheckText = "Sent, to be checked";
// The printer lacks the storage the download goes to: nothing was sent (a
// print file, which needs none, still goes).
inline constexpr const char* kNoHardDiskText = "No hard disk";
inline constexpr const char* kNoFlashMemoryText = "No flash memory";
// The user stopped the download, or closed the window, before it was sent.
inline constexpr const char* kNotSentStoppedText = "Not sent (stopped)";
// Written into an export file, for a printer to take later.
inline constexpr const char* kExportedText = "Exported";

// The worker's pacing: one poll step, the rest after a handled resource (in
// steps) and the rest after a printer.
inline constexpr uint32_t kWorkerStepMs = 20;
inline constexpr int kRestSteps = 50;
inline constexpr uint32_t kPrinterRestMs = 300;

struct DownloadPrinter {
  std::string address;  // dotted decimal
  uint32_t storageOptions = 0;
  // Whether the printer is asked, after its resources, whether each is
  // there (download_check.h); when not, what was sent stays "Sent, not
  // confirmed".
  bool verify = true;
  // The printer as the SNMP library knows it (address, communities, SNMP
  // level), for those questions.
  PrinterRecord record{};
  JobPort port = JobPort::Lpr;  // where its jobs go
};

// Whether `storageOptions` (PrinterStorage) has the storage at `location`.
bool HasStorage(uint32_t storageOptions, StorageLocation location);

struct DownloadPlan {
  std::vector<DownloadPrinter> printers;
  std::vector<std::string> resourcePaths;
  // One per resource, asked up front (AskDownloadQuestions); none: the
  // questions are asked while the first printer is served.
  std::vector<ResourceAnswer> answers;
  StorageLocation location = kHardDisk;
  ConversionChoice conversion;
};

// Called on the worker's thread.
class DownloadWorkerEvents {
 public:
  virtual ~DownloadWorkerEvents() = default;
  // Printer `index` of the plan is being served.
  virtual void PrinterStarted(int index) = 0;
  // What became of resource `row` at printer `printer` of the plan; told
  // again as it changes (in progress, sent, confirmed). A printer the
  // download stopped before hears kStopped for every resource.
  virtual void ResourceOutcomeChanged(int printer, int row, const ResourceOutcome& outcome) = 0;
  // The last call: the worker has ended and the state word says Stopped.
  // `conversion` is the choice as the run left it, to be asked again.
  virtual void Ended(const ConversionChoice& conversion) = 0;
};

struct DownloadWorkerServices {
  ConverterOperations& converter;
  ResourceJobQuestions& questions;
  MessageBoxes& boxes;  // "Invalid font file." and the job writers' messages
  std::string jobDirectory;  // where the temporary job files go (a JobFolder)
  Clock& clock;
  JobSubmitter submit;
  // The jobs shared with other workers of the same download; none: the
  // worker makes its own from the plan.
  std::shared_ptr<PreparedJobs> jobs = nullptr;
};

class DownloadWorker {
 public:
  DownloadWorker(DownloadPlan plan, DownloadStateWord& state, DownloadWorkerEvents& events,
                 DownloadWorkerServices services);
  // Waits for the thread; the owner sees to it that it ends (a Stopped state
  // word, answers to its questions).
  ~DownloadWorker();
  DownloadWorker(const DownloadWorker&) = delete;
  DownloadWorker& operator=(const DownloadWorker&) = delete;

  void Start();
  void Join();
  bool joinable() const { return thread_.joinable(); }
  // The whole download on the calling thread.
  void Run();

 private:
  // A resource whose jobs were all sent, waiting for the printer to confirm it.
  struct SentRow {
    int row;
    ResourceOutcome outcome;  // its outcome once confirmed
    std::vector<SentResource> sent;
  };

  // Serves printer `index`; false when the download is to end.
  bool ServePrinter(int index);
  // Handles resource `row` for printer `index`, whose jobs carry PJL
  // password `password`; true when something was sent and a rest follows.
  // A resource sent whole joins `sentRows`.
  bool HandleResource(int index, int row, uint32_t password, int& jobNumber, std::vector<SentRow>& sentRows);
  // Why `printer` cannot take the resource at `path`, judged by its name
  // before it is prepared (`prepared` null), and again once it is; nothing
  // when it can. Every reason a printer turns a resource away for is
  // checked here.
  std::optional<ResourceOutcome> CannotTake(const DownloadPrinter& printer, const std::string& path,
                                            const PreparedResource* prepared) const;
  // Asks the printer for what was sent and gives each row its outcome.
  void ConfirmSentRows(int index, const std::vector<SentRow>& sentRows);
  void Report(int printer, int row, const ResourceOutcome& outcome);
  // Leaves out of `jobFiles` (and of `stored`, what is looked for
  // afterwards) those in a language the printer at `address` does not speak
  // (LanguageRefusal); when none is left, the outcome that says so.
  static std::optional<ResourceOutcome> KeepJobsThePrinterSpeaks(uint32_t address,
                                                                 std::vector<std::shared_ptr<JobFile>>& jobFiles,
                                                                 std::vector<SentResource>& stored);

  DownloadPlan plan_;
  DownloadStateWord& state_;
  DownloadWorkerEvents& events_;
  DownloadWorkerServices services_;
  std::shared_ptr<PreparedJobs> jobs_;
  std::thread thread_;
};
