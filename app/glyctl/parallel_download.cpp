#include "glyctl/parallel_download.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "download/job_folder.h"

namespace {

// Receives one worker's reports; `printers` maps the worker's plan onto
// the whole download's.
class PrinterRecorder final : public DownloadWorkerEvents {
 public:
  PrinterRecorder(std::vector<PrinterDownload>& results, std::vector<size_t> printers,
                  ParallelDownloadServices& services)
      : results_(results), printers_(std::move(printers)), services_(services) {}

  void PrinterStarted(int) override {}
  void ResourceOutcomeChanged(int printer, int row, const ResourceOutcome& outcome) override {
    ResourceOutcome& shown = results_[printers_.at(static_cast<size_t>(printer))].outcomes.at(static_cast<size_t>(row));
    // A resource is done when it first settles; the printer's answer may
    // change it again later.
    const bool settles = outcome.what != Outcome::kInProgress &&
                         (shown.what == Outcome::kNotSent || shown.what == Outcome::kInProgress);
    shown = outcome;
    if (settles && services_.progressed) services_.progressed(1);
  }
  void Ended(const ConversionChoice&) override {}

 private:
  std::vector<PrinterDownload>& results_;  // each worker writes only its own printers' entries
  const std::vector<size_t> printers_;
  ParallelDownloadServices& services_;
};

// Runs a worker for `printers` of `plan` on the calling thread.
void ServePrinters(const DownloadPlan& plan, const std::vector<size_t>& printers, ParallelDownloadServices& services,
                   const std::shared_ptr<PreparedJobs>& jobs, std::vector<PrinterDownload>& results) {
  DownloadPlan part = plan;
  part.printers.clear();
  for (size_t index : printers) part.printers.push_back(plan.printers[index]);
  DownloadStateWord state;
  state.Store(DownloadState::Downloading);
  PrinterRecorder recorder(results, printers, services);
  DownloadWorker worker(std::move(part), state, recorder,
                        DownloadWorkerServices{services.converter, services.questions, services.boxes, {},
                                               services.clock, services.submit, jobs});
  worker.Run();
}

}  // namespace

bool RunParallelDownload(const DownloadPlan& plan, int parallel, ParallelDownloadServices& services,
                         std::vector<PrinterDownload>& results) {
  results.assign(plan.printers.size(), PrinterDownload{std::vector<ResourceOutcome>(plan.resourcePaths.size())});
  const JobFolder folder(services.scratchFolder);
  if (folder.path().empty()) {
    if (services.progressed) services.progressed(static_cast<int>(plan.printers.size() * plan.resourcePaths.size()));
    return false;
  }
  ConversionChoice choice = plan.conversion;
  std::vector<ResourceAnswer> answers =
      plan.answers.empty()
          ? AskDownloadQuestions(plan.resourcePaths, choice, services.converter, services.questions)
          : plan.answers;
  const auto jobs = std::make_shared<PreparedJobs>(services.converter, services.questions, services.boxes,
                                                   folder.path(), plan.resourcePaths, std::move(answers),
                                                   plan.location, choice);
  const size_t threads = std::min(plan.printers.size(), static_cast<size_t>(std::max(parallel, 1)));
  if (threads <= 1) {
    std::vector<size_t> all(plan.printers.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = i;
    ServePrinters(plan, all, services, jobs, results);
    return true;
  }
  std::atomic<size_t> next{0};
  std::vector<std::thread> pool;
  for (size_t t = 0; t < threads; ++t) {
    pool.emplace_back([&] {
      for (size_t index = next++; index < plan.printers.size(); index = next++)
        ServePrinters(plan, {index}, services, jobs, results);
    });
  }
  for (std::thread& thread : pool) thread.join();
  return true;
}
