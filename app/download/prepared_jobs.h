// The jobs of one download, each made once and shared by every printer
// that takes it: a resource is classified, converted and written into its
// job files at the first printer that needs it, and later printers (also
// those served side by side) send the same open job files. Printers whose
// jobs must carry another PJL password get jobs of their own.
//
// The job files stay open until the download ends; their names in the job
// folder are reused, since every port sends a job file by its descriptor.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "download/download_outcome.h"
#include "download/download_questions.h"
#include "download/prepare_resource_job.h"

struct PreparedResource {
  // Outcome::kNotSent when its jobs are ready; otherwise why there are none
  // (an invalid file, a failed conversion, a question cancelled ...).
  ResourceOutcome failure;
  // Whether it is kept in the printer's storage: everything but a print
  // file.
  bool needsStorage = true;
  std::vector<std::shared_ptr<JobFile>> jobFiles;  // in the order they are sent
  std::vector<SentResource> stored;                // what the printer is asked for afterwards
  std::size_t charactersLeftOut = 0;
  std::string unboundSymbolSet;  // see ResourceJobContext
};

// What a failed PrepareResourceJob `result` leaves a resource as.
Outcome PreparationFailure(int result);

class PreparedJobs {
 public:
  // `answers`: one per path, given up front; none to ask while preparing.
  PreparedJobs(ConverterOperations& converter, ResourceJobQuestions& questions, MessageBoxes& boxes,
               const std::string& jobDirectory, std::vector<std::string> paths, std::vector<ResourceAnswer> answers,
               StorageLocation location, const ConversionChoice& conversion);
  ~PreparedJobs();
  PreparedJobs(const PreparedJobs&) = delete;
  PreparedJobs& operator=(const PreparedJobs&) = delete;

  // The jobs of resource `row` for a printer with PJL password
  // `pjlPassword`; made at the first call. Any thread: one resource is
  // prepared at a time, and a caller that needs one being made waits.
  std::shared_ptr<const PreparedResource> Get(size_t row, uint32_t pjlPassword);
  // The conversion choice as preparation left it.
  ConversionChoice conversion();
  // How many times a resource was prepared.
  int preparations();

 private:
  PreparedResource Prepare(size_t row);

  std::mutex lock_;
  ResourceJobContext context_;
  const std::vector<std::string> paths_;
  const std::vector<ResourceAnswer> answers_;
  std::map<std::pair<size_t, uint32_t>, std::shared_ptr<const PreparedResource>> made_;
};
