#include "glyctl/parallel_download.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "download/classify_resource.h"
#include "download/job_folder.h"

namespace {

// Receives one worker's reports; `printers` maps the worker's plan onto
// the whole download's.
class PrinterRecorder final : public DownloadWorkerEvents {
 public:
  PrinterRecorder(std::vector<PrinterDownload>& results, std::vector<size_t> printers, size_t resources,
                  ParallelDownloadServices& services)
      : results_(results), printers_(std::move(printers)), resources_(resources), services_(services) {}

  void PrinterStarted(int index) override { current_ = printers_.at(static_cast<size_t>(index)); }
  void StatusesReset() override {
    results_[current_].served = true;
    results_[current_].statuses.assign(resources_, kNotDownloadedText);
  }
  void RowStatus(int row, const std::string& status) override {
    std::string& shown = results_[current_].statuses.at(static_cast<size_t>(row));
    // A resource is done when its row first settles; the printer's answer
    // may change it again later.
    const bool settles = status != kDownloadingText && (shown == kDownloadingText || shown == kNotDownloadedText);
    shown = status;
    if (settles && services_.progressed) services_.progressed(1);
  }
  void Ended(const ConversionChoice&) override {}

 private:
  std::vector<PrinterDownload>& results_;  // each worker writes only its own printers' entries
  const std::vector<size_t> printers_;
  const size_t resources_;
  ParallelDownloadServices& services_;
  size_t current_ = 0;
};

// Runs a worker for `printers` of `plan` on the calling thread.
bool ServePrinters(const DownloadPlan& plan, const std::vector<size_t>& printers, ParallelDownloadServices& services,
                   std::vector<PrinterDownload>& results) {
  const JobFolder folder(services.scratchFolder);
  if (folder.path().empty()) return false;
  DownloadPlan part = plan;
  part.printers.clear();
  for (size_t index : printers) part.printers.push_back(plan.printers[index]);
  DownloadStateWord state;
  state.Store(DownloadState::Downloading);
  PrinterRecorder recorder(results, printers, plan.resourcePaths.size(), services);
  DownloadWorker worker(std::move(part), state, recorder,
                        DownloadWorkerServices{services.converter, services.questions, services.boxes, folder.path(),
                                               services.clock, services.submit});
  worker.Run();
  for (size_t index : printers)
    if (!results[index].served && services.progressed)
      services.progressed(static_cast<int>(plan.resourcePaths.size()));
  return true;
}

}  // namespace

bool RunParallelDownload(const DownloadPlan& plan, int parallel, ParallelDownloadServices& services,
                         std::vector<PrinterDownload>& results) {
  results.assign(plan.printers.size(), PrinterDownload{});
  const size_t threads = std::min(plan.printers.size(), static_cast<size_t>(std::max(parallel, 1)));
  if (threads <= 1) {
    std::vector<size_t> all(plan.printers.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = i;
    return ServePrinters(plan, all, services, results);
  }
  std::atomic<size_t> next{0};
  std::atomic<bool> allFolders{true};
  std::vector<std::thread> pool;
  for (size_t t = 0; t < threads; ++t) {
    pool.emplace_back([&] {
      for (size_t index = next++; index < plan.printers.size(); index = next++)
        if (!ServePrinters(plan, {index}, services, results)) allFolders = false;
    });
  }
  for (std::thread& thread : pool) thread.join();
  return allFolders;
}
