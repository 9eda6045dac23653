#include "download/download_outcome.h"

#include <algorithm>
#include <map>

#include "download/classify_resource.h"
#include "download/download_worker.h"
#include "download/job_port.h"
#include "download/prepare_resource_job.h"
#include "download/resource_manager_ids.h"
#include "printers/printer_abilities.h"
#include "ui/resource_module.h"

namespace {

// What a row adds in brackets about a PCL TrueType conversion: characters
// it could not carry, and how to select a font that went unbound.
std::string ConversionNotes(const ResourceOutcome& outcome) {
  std::string notes;
  if (outcome.charactersLeftOut > 0) notes = std::to_string(outcome.charactersLeftOut) + " characters left out";
  if (!outcome.unboundSymbolSet.empty())
    notes += (notes.empty() ? "" : "; ") + std::string("unbound: select symbol set ") + outcome.unboundSymbolSet;
  return notes;
}

}  // namespace

std::string OutcomeText(const ResourceOutcome& outcome) {
  switch (outcome.what) {
    case Outcome::kNotSent:
    case Outcome::kInvalidFile: return kNotDownloadedText;
    case Outcome::kInProgress: return kDownloadingText;
    case Outcome::kStored: {
      const std::string notes = ConversionNotes(outcome);
      if (notes.empty()) return kDownloadedText;
      return (outcome.charactersLeftOut > 0 ? "Converted (" : std::string(kDownloadedText) + " (") + notes + ")";
    }
    case Outcome::kPrinted: return kSentText;
    case Outcome::kAwaitingCheck: return kAwaitingCheckText;
    case Outcome::kSentNotConfirmed: return kSentNotConfirmedText;
    case Outcome::kRefused: return kRefusedByPrinterText;
    case Outcome::kNoStorage: return outcome.location == kFlashMemory ? kNoFlashMemoryText : kNoHardDiskText;
    case Outcome::kNoPostScript: return kNoPostScriptText;
    case Outcome::kNoPcl: return kNoPclText;
    case Outcome::kInvalidPostScript: return kInvalidPsFileText;
    case Outcome::kInvalidTrueType: return kInvalidTtfFileText;
    case Outcome::kScratchFull: return kScratchFullText;
    case Outcome::kJobNotWritten: return kJobNotWrittenText;
    case Outcome::kNotConverted: return kNotConvertedText;
    case Outcome::kNoName: return kNoResourceNameText;
    case Outcome::kSendFailed: return JobFailureStatus(JobOutcome(outcome.jobError, outcome.printerWords));
    case Outcome::kStopped: return kNotSentStoppedText;
    case Outcome::kExported:
      return ConversionNotes(outcome).empty() ? std::string(kExportedText)
                                              : std::string(kExportedText) + " (" + ConversionNotes(outcome) + ")";
  }
  return kNotDownloadedText;
}

const char* OutcomeName(Outcome what) {
  switch (what) {
    case Outcome::kNotSent: return "not-sent";
    case Outcome::kInProgress: return "in-progress";
    case Outcome::kStored: return "stored";
    case Outcome::kPrinted: return "printed";
    case Outcome::kAwaitingCheck: return "awaiting-check";
    case Outcome::kSentNotConfirmed: return "sent-not-confirmed";
    case Outcome::kRefused: return "refused";
    case Outcome::kNoStorage: return "no-storage";
    case Outcome::kNoPostScript: return "no-postscript";
    case Outcome::kNoPcl: return "no-pcl";
    case Outcome::kInvalidFile: return "invalid-file";
    case Outcome::kInvalidPostScript: return "invalid-postscript";
    case Outcome::kInvalidTrueType: return "invalid-truetype";
    case Outcome::kScratchFull: return "scratch-full";
    case Outcome::kJobNotWritten: return "job-not-written";
    case Outcome::kNotConverted: return "not-converted";
    case Outcome::kNoName: return "no-name";
    case Outcome::kSendFailed: return "send-failed";
    case Outcome::kStopped: return "stopped";
    case Outcome::kExported: return "exported";
  }
  return "not-sent";
}

bool IsDone(const ResourceOutcome& outcome, bool verified) {
  switch (outcome.what) {
    case Outcome::kStored:
    case Outcome::kPrinted:
    case Outcome::kExported: return true;
    case Outcome::kSentNotConfirmed: return !verified;
    default: return false;
  }
}

std::string DownloadSummary(const std::vector<std::vector<ResourceOutcome>>& printers, bool verified) {
  int done = 0, failed = 0, stopped = 0;
  std::map<StorageLocation, int> skipped;
  for (const std::vector<ResourceOutcome>& outcomes : printers) {
    auto any = [&outcomes](Outcome what) {
      return std::any_of(outcomes.begin(), outcomes.end(), [what](const ResourceOutcome& o) { return o.what == what; });
    };
    const auto lacking = std::find_if(outcomes.begin(), outcomes.end(),
                                      [](const ResourceOutcome& o) { return o.what == Outcome::kNoStorage; });
    const bool allDone = std::all_of(outcomes.begin(), outcomes.end(), [verified](const ResourceOutcome& o) {
      return IsDone(o, verified) || o.what == Outcome::kNoStorage;
    });
    if (any(Outcome::kStopped) || any(Outcome::kNotSent)) ++stopped;
    else if (!allDone) ++failed;
    else if (lacking != outcomes.end()) ++skipped[lacking->location];
    else ++done;
  }
  std::string text = std::to_string(printers.size()) + (printers.size() == 1 ? " printer:" : " printers:");
  std::string parts;
  auto add = [&parts](int count, const std::string& what) {
    if (count > 0) parts += (parts.empty() ? " " : ", ") + std::to_string(count) + " " + what;
  };
  add(done, "done");
  add(failed, "failed");
  for (const auto& [location, count] : skipped)
    add(count, std::string("skipped: ") + (location == kFlashMemory ? "no flash memory" : "no hard disk"));
  add(stopped, "not sent (stopped)");
  return text + parts;
}

std::string ExportSummary(const ExportReport& report) {
  using namespace resource_manager;
  std::string text = LoadResourceString(report.jobs == 1 ? kOneJobWrittenText : kJobsWrittenText);
  if (report.jobs != 1) text.replace(text.find("%d"), 2, std::to_string(report.jobs));
  text.replace(text.find("%s"), 2, report.path);
  std::string leftOut;
  for (const ExportedFile& file : report.files) {
    if (file.outcome.what == Outcome::kExported) continue;
    // A file that is no resource says why; its cell only says it was not sent.
    const std::string why =
        file.outcome.what == Outcome::kInvalidFile ? std::string(kInvalidFontFileText) : OutcomeText(file.outcome);
    leftOut += (leftOut.empty() ? "" : ", ") + file.fileName + " (" + why + ")";
  }
  if (leftOut.empty()) return text;
  std::string left = LoadResourceString(kLeftOutText);
  return text + left.replace(left.find("%s"), 2, leftOut);
}
