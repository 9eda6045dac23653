#include "glyctl/fleet_download.h"

#include <map>
#include <tuple>

#include "download/classify_resource.h"
#include "download/converter_operations.h"
#include "glyctl/console_services.h"
#include "glyctl/parallel_download.h"
#include "printers/printer_record.h"
#include "printers/printer_settings.h"
#include "snmp/contract/glysnmp.h"

namespace {

// What a worker's plan holds once for all its resources, and the printers.
using BatchKey = std::tuple<int, bool, bool, bool, std::optional<std::string>, std::optional<std::string>,
                            std::vector<size_t>>;

BatchKey KeyOf(const SetResource& resource, const std::vector<size_t>& printers) {
  return {resource.location, resource.conversion.toType1, resource.conversion.toPclTrueType,
          resource.conversion.both, resource.macroId, resource.formName, printers};
}

}  // namespace

bool SendToFleet(CommandRun& run, const std::vector<SetResource>& resources, const std::vector<PrinterRecord>& printers,
                 const std::vector<std::vector<size_t>>& lacking, int parallel, std::optional<JobPort> port,
                 std::vector<FleetSent>& sent) {
  std::map<BatchKey, std::vector<size_t>> batches;
  std::map<size_t, uint32_t> storage;  // asked once for each printer sent to
  for (size_t r = 0; r < resources.size(); ++r) {
    if (lacking[r].empty()) continue;
    batches[KeyOf(resources[r], lacking[r])].push_back(r);
    for (size_t p : lacking[r]) {
      if (storage.count(p)) continue;
      PrinterRecord asked = printers[p];
      SnmpGetPrinterOptions(&asked);
      storage[p] = asked.storageOptions;
    }
  }

  ConsoleBoxes boxes(run.console);
  bool folders = true;
  for (const auto& [key, batch] : batches) {
    const SetResource& first = resources[batch.front()];
    const std::vector<size_t>& targets = std::get<6>(key);
    DownloadPlan plan;
    for (size_t p : targets) {
      const PrinterSettings settings = RunPrinterSettings().Get(printers[p].address);
      DownloadPrinter served{FormatAddress(printers[p].address), storage[p], settings.verifyDownloads};
      served.record = printers[p];
      served.port = port.value_or(settings.port);
      plan.printers.push_back(std::move(served));
    }
    for (size_t r : batch) plan.resourcePaths.push_back(resources[r].path);
    plan.location = first.location;
    static_cast<ConversionOptions&>(plan.conversion) = first.conversion;
    plan.conversion.applyToAll = true;
    plan.conversion.askConversion = false;

    FixedConversionQuestions questions(first.conversion, first.macroId, first.formName);
    ParallelDownloadServices services{ConverterLibrary(), questions, boxes, run.environment.clock,
                                      run.environment.submit, run.environment.scratchFolder,
                                      [&run](int done) { run.console.Advance(done); }};
    std::vector<PrinterDownload> results;
    folders = RunParallelDownload(plan, parallel, services, results) && folders;
    for (size_t i = 0; i < targets.size(); ++i)
      for (size_t j = 0; j < batch.size(); ++j)
        sent.push_back({batch[j], targets[i], results[i].outcomes.at(j)});
  }
  return folders;
}
