// A download to many printers with several printers served side by side.
//
// Each printer is served by the program's DownloadWorker exactly as the
// Resource Manager serves it (classification, job preparation, LPR, the
// worker's pacing). With one at a time, one worker serves every printer in
// turn, as the program does. With more, each of `parallel` threads takes
// the next printer not yet served and runs a worker for it alone. Either
// way the questions are asked once, up front, and every job is made once,
// in one job folder, and sent by every printer that takes it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "download/download_worker.h"

struct ParallelDownloadServices {
  ConverterOperations& converter;
  ResourceJobQuestions& questions;  // any thread
  MessageBoxes& boxes;              // any thread
  Clock& clock;
  JobSubmitter submit;
  std::string scratchFolder;  // job folders are made in it
  // A resource of a printer is done, or a printer was skipped with
  // `resources` resources; any thread.
  std::function<void(int resources)> progressed;
};

struct PrinterDownload {
  std::vector<ResourceOutcome> outcomes;  // one per resource
};

// One entry per printer of `plan`, in its order. False when the job folder
// could not be made (nothing was sent).
bool RunParallelDownload(const DownloadPlan& plan, int parallel, ParallelDownloadServices& services,
                         std::vector<PrinterDownload>& results);
