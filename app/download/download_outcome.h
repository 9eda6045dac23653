// What became of one resource at one printer, as the download worker found
// it: what happened, why, how many characters a conversion left out and
// what the printer itself said. The Resource Manager's cells, glyctl's
// rows and exit status, and the summaries of a download and an export are
// all made from it; nothing reads a display text back.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "download/download_job.h"

enum class Outcome {
  kNotSent,           // not handled (yet)
  kInProgress,        // its jobs are being prepared or sent
  kStored,            // sent and held by the printer (or not to be asked)
  kPrinted,           // a print file the printer took: nothing is kept
  kAwaitingCheck,     // sent; the printer is asked for it after its last resource
  kSentNotConfirmed,  // sent, but the printer could not be asked
  kRefused,           // the printer took the jobs, yet does not hold it
  kNoStorage,         // the printer lacks the storage the download goes to
  kNoPostScript,      // the printer speaks no PostScript, the resource's language
  kNoPcl,             // the printer speaks no PCL, the resource's language
  kInvalidFile,       // not a resource when the download came to it
  kInvalidPostScript, // a binary PostScript font could not be made ASCII
  kInvalidTrueType,   // a TrueType conversion failed
  kScratchFull,       // the job folder's disk filled up
  kJobNotWritten,     // a job writer failed (and said why)
  kNotConverted,      // a TrueType font no conversion was chosen for
  kNoName,            // the macro ID or form name question was cancelled
  kSendFailed,        // a job did not reach the printer
  kStopped,           // the user stopped or closed before it was sent
  kExported,          // written into an export file
};

struct ResourceOutcome {
  ResourceOutcome(Outcome happened = Outcome::kNotSent, StorageLocation lacking = kHardDisk)
      : what(happened), location(lacking) {}

  Outcome what;
  // kNoStorage: the storage that is lacking.
  StorageLocation location;
  // kStored, kAwaitingCheck, kSentNotConfirmed, kExported: characters of a PCL TrueType
  // conversion the font could not carry.
  std::size_t charactersLeftOut = 0;
  // kStored, kAwaitingCheck, kSentNotConfirmed, kExported: the symbol set that selects an
  // unbound PCL TrueType conversion ("18N"); empty when it is bound.
  std::string unboundSymbolSet;
  // kSendFailed: the job port's result (an LprResult or a socket error).
  int jobError = 0;
  // The printer's own words: the reasons it gave for a refused, aborted or
  // stuck job.
  std::string printerWords;

  bool operator==(const ResourceOutcome&) const = default;
};

// The cell text: "Downloaded", "Converted (3 characters left out)",
// "No hard disk", "Not sent (stopped)", a job port's message ...
std::string OutcomeText(const ResourceOutcome& outcome);
// A stable lower-case name for scripts: "stored", "send-failed" ...
const char* OutcomeName(Outcome what);
// Whether the resource got where it was to go. A resource sent but not
// confirmed counts when the printer was not to be asked (`verified` false).
bool IsDone(const ResourceOutcome& outcome, bool verified = true);

// One printer's outcomes, one per resource, and the line that sums up a
// download's printers: "3 printers: 2 done, 1 skipped: no hard disk".
std::string DownloadSummary(const std::vector<std::vector<ResourceOutcome>>& printers, bool verified = true);

// What an export put into the file chosen: how many jobs, and each file
// with its outcome (kExported, or why it was left out).
struct ExportedFile {
  std::string fileName;
  ResourceOutcome outcome;
};
struct ExportReport {
  std::string path;
  int jobs = 0;
  std::vector<ExportedFile> files;
};

// The line that sums up an export, the window's and glyctl's alike:
// "4 jobs written to NAME; left out: FILE (why), FILE (why)".
std::string ExportSummary(const ExportReport& report);
