// check and ensure: which printers of a fleet hold which resources of a set
// (fleet/fleet_check.h), and each printer brought to the set by sending it
// exactly what it lacks (fleet_download.h).
#include <algorithm>

#include "download/classify_resource.h"
#include "download/converter_operations.h"
#include "download/job_folder.h"
#include "fleet/fleet_check.h"
#include "glyctl/command_support.h"
#include "glyctl/exit_codes.h"
#include "glyctl/fleet_download.h"
#include "printers/printer_list_file.h"
#include "printers/printer_record.h"
#include "printers/regular_file.h"
#include "snmp/community_strings.h"

namespace {

struct Fleet {
  std::vector<SetResource> resources;
  std::vector<PrinterRecord> printers;
  std::vector<SetResourceParts> prepared;
  int parallel = 1;
  OutputFormat format = OutputFormat::kTable;
};

std::string Where(const SetResource& resource) {
  return resource.line > 0 ? resource.path + " (set line " + std::to_string(resource.line) + ")" : resource.path;
}

// The resources and printers named on the command line, as download takes them.
std::optional<ResourceSet> SetOfCommandLine(CommandRun& run, int& failure) {
  const std::vector<std::string>& files = run.line.positional;
  ResourceSet set;
  set.addresses = run.line.Values("printers");
  if (const std::optional<std::string> list = run.line.Value("printers-file")) set.printerLists.push_back(*list);
  const std::optional<StorageLocation> location = StorageLocationOf(run);
  const std::optional<ConversionOptions> conversion = ConversionOf(run);
  failure = kExitUsage;
  if (!location || !conversion) return std::nullopt;
  failure = kExitBadInput;
  if (!CheckResourceFiles(run, files)) return std::nullopt;
  const std::optional<ResourceNames> names = ResourceNamesOf(run, files);
  failure = kExitUsage;
  if (!names) return std::nullopt;
  for (const std::string& file : files)
    set.resources.push_back({file, 0, *location, *conversion, names->macroId, names->formName});
  return set;
}

std::optional<ResourceSet> SetOfFile(CommandRun& run, int& failure) {
  for (const char* option : {"to", "convert", "macro-id", "form-name"}) {
    if (run.line.Has(option)) {
      run.console.Message(std::string("--") + option + " goes with FILEs; a set names its own on each resource line");
      failure = kExitUsage;
      return std::nullopt;
    }
  }
  std::string error;
  std::optional<ResourceSet> set = ReadResourceSetFile(run.line.positional[0], error);
  failure = kExitBadInput;
  if (!set) {
    run.console.Message(error);
    return std::nullopt;
  }
  for (const SetResource& resource : set->resources) {
    if (!IsReadableRegularFile(resource.path, error)) {
      run.console.Message("set line " + std::to_string(resource.line) + ": " + error);
      return std::nullopt;
    }
  }
  return set;
}

// The records the printers are asked with: their address and the
// command's community strings.
std::optional<std::vector<PrinterRecord>> PrintersOf(CommandRun& run, const ResourceSet& set, int& failure) {
  std::vector<uint32_t> addresses;
  for (const std::string& text : set.addresses) {
    const std::optional<uint32_t> address = ParseAddress(text);
    if (!address) {
      run.console.Message("not an IPv4 address: " + text);
      failure = kExitUsage;
      return std::nullopt;
    }
    addresses.push_back(*address);
  }
  for (const std::string& list : set.printerLists) {
    std::string error;
    const std::optional<std::vector<SavedPrinter>> saved = ReadPrinterListFile(list, error);
    if (!saved) {
      run.console.Message(list + ": " + error);
      failure = kExitBadInput;
      return std::nullopt;
    }
    for (const SavedPrinter& printer : *saved) {
      addresses.push_back(printer.address);
      KeepSavedSettings(printer, RunPrinterSettings());
    }
  }
  std::vector<PrinterRecord> printers;
  for (uint32_t address : addresses) {
    if (std::any_of(printers.begin(), printers.end(), [&](const PrinterRecord& p) { return p.address == address; }))
      continue;
    PrinterRecord record = MakePrinterRecord();
    record.address = address;
    // The settings were checked when the command started.
    static_cast<void>(ApplyCommunityStrings(record, run.communities));
    printers.push_back(record);
  }
  return printers;
}

std::optional<Fleet> ReadFleet(CommandRun& run, const JobFolder& folder, int& failure) {
  const bool fileForm = run.line.Has("printers") || run.line.Has("printers-file");
  if (run.line.positional.empty() || (!fileForm && run.line.positional.size() != 1)) {
    run.console.Message("takes a SET file, or FILEs with --printers ADDRESS... or --printers-file LIST");
    failure = kExitUsage;
    return std::nullopt;
  }
  Fleet fleet;
  const std::optional<OutputFormat> format = OutputFormatOf(run);
  const std::optional<int> parallel = ParallelOf(run);
  failure = kExitUsage;
  if (!format || !parallel) return std::nullopt;
  fleet.format = *format;
  fleet.parallel = *parallel;
  std::optional<ResourceSet> set = fileForm ? SetOfCommandLine(run, failure) : SetOfFile(run, failure);
  if (!set) return std::nullopt;
  std::optional<std::vector<PrinterRecord>> printers = PrintersOf(run, *set, failure);
  if (!printers) return std::nullopt;
  if (set->resources.empty() || printers->empty()) {
    run.console.Message(set->resources.empty() ? "the set names no resource" : "the set names no printer");
    failure = kExitUsage;
    return std::nullopt;
  }
  if (folder.path().empty()) {
    run.console.Message("cannot make a private job folder for the set's jobs");
    failure = kExitCannotWrite;
    return std::nullopt;
  }
  fleet.resources = std::move(set->resources);
  fleet.printers = std::move(*printers);
  fleet.prepared = PrepareSetJobs(fleet.resources, ConverterLibrary(), folder.path());
  for (size_t r = 0; r < fleet.resources.size(); ++r) {
    if (fleet.prepared[r].problem.empty()) continue;
    run.console.Message(Where(fleet.resources[r]) + ": " + fleet.prepared[r].problem);
    failure = kExitBadInput;
    return std::nullopt;
  }
  return fleet;
}

// Checks the printers `which` into `checks`.
void CheckPrinters(CommandRun& run, const Fleet& fleet, const std::vector<size_t>& which,
                   std::vector<PrinterCheck>& checks) {
  std::vector<PrinterRecord> asked;
  for (size_t p : which) asked.push_back(fleet.printers[p]);
  run.console.StartProgress(static_cast<int>(asked.size()), "Checking");
  CheckFleet(asked, fleet.prepared, fleet.parallel, [&](size_t index, PrinterCheck check) {
    checks[which[index]] = std::move(check);
    run.console.Advance();
  });
  run.console.EndProgress();
}

std::vector<size_t> AllOf(size_t count) {
  std::vector<size_t> all(count);
  for (size_t i = 0; i < count; ++i) all[i] = i;
  return all;
}

// 3 when a printer did not answer, 1 when one lacks something, else 0.
int CheckExitStatus(const std::vector<PrinterCheck>& checks) {
  bool lacking = false;
  for (const PrinterCheck& check : checks) {
    if (!PrinterAnswered(check)) return kExitNoPrinter;
    lacking = lacking || std::any_of(check.cells.begin(), check.cells.end(),
                                     [](const HoldingCell& cell) { return cell.holding != Holding::kHeld; });
  }
  return lacking ? kExitPartly : kExitOk;
}

// What a download can mend: a resource missing, of another version or
// only in memory on a printer that answered.
bool WantsDownload(const HoldingCell& cell) {
  return cell.holding == Holding::kMissing || cell.holding == Holding::kOtherVersion ||
         cell.holding == Holding::kMemoryOnly;
}

// One row per printer and resource; with `sent`, what was sent to each.
void WriteChecks(CommandRun& run, const Fleet& fleet, const std::vector<PrinterCheck>& checks,
                 const std::vector<FleetSent>* sent) {
  OutputTable table;
  table.columns = {{"Printer", "printer"}, {"Resource", "resource"}, {"Holding", "holding"}, {"Note", "note"}};
  if (sent) table.columns.push_back({"Download", "download"});
  for (size_t p = 0; p < fleet.printers.size(); ++p) {
    for (size_t r = 0; r < fleet.resources.size(); ++r) {
      const HoldingCell& cell = checks[p].cells[r];
      table.rows.push_back({FormatAddress(fleet.printers[p].address), FileNameOf(fleet.resources[r].path),
                            std::string(HoldingText(cell.holding)), cell.why});
      if (!sent) continue;
      const auto done = std::find_if(sent->begin(), sent->end(),
                                     [&](const FleetSent& s) { return s.printer == p && s.resource == r; });
      table.rows.back().push_back(done == sent->end() ? std::string() : OutcomeText(done->outcome));
    }
  }
  WriteOutputTable(run.console.out(), table, fleet.format);
}

// Sends each printer that answered what it lacks, then checks again those
// sent to; what was sent.
std::vector<FleetSent> SendLacking(CommandRun& run, const Fleet& fleet, std::optional<JobPort> port,
                                   std::vector<PrinterCheck>& checks) {
  std::vector<std::vector<size_t>> lacking(fleet.resources.size());
  std::vector<size_t> served;
  for (size_t p = 0; p < checks.size(); ++p) {
    for (size_t r = 0; r < fleet.resources.size(); ++r) {
      if (!PrinterAnswered(checks[p]) || !WantsDownload(checks[p].cells[r])) continue;
      lacking[r].push_back(p);
      if (served.empty() || served.back() != p) served.push_back(p);
    }
  }
  std::vector<FleetSent> sent;
  if (!served.empty()) {
    size_t count = 0;
    for (const std::vector<size_t>& printers : lacking) count += printers.size();
    run.console.StartProgress(static_cast<int>(count), "Downloading");
    const bool folders = SendToFleet(run, fleet.resources, fleet.printers, lacking, fleet.parallel, port, sent);
    run.console.EndProgress();
    if (!folders) run.console.Message("cannot make a private job folder: some printers were sent nothing");
    // What the printers hold now, as they tell it.
    CheckPrinters(run, fleet, served, checks);
    for (const FleetSent& done : sent) {
      HoldingCell& cell = checks[done.printer].cells[done.resource];
      if (cell.holding != Holding::kHeld && cell.why.empty()) cell.why = OutcomeText(done.outcome);
    }
  }
  return sent;
}

int RunFleetCommand(CommandRun& run, bool ensure) {
  std::optional<JobPort> port;
  if (ensure) {
    const std::optional<std::optional<JobPort>> given = JobPortOf(run);
    if (!given) return kExitUsage;
    port = *given;
  }
  const JobFolder folder(run.environment.scratchFolder);
  int failure = kExitOk;
  const std::optional<Fleet> fleet = ReadFleet(run, folder, failure);
  if (!fleet) return failure;
  std::vector<PrinterCheck> checks(fleet->printers.size());
  CheckPrinters(run, *fleet, AllOf(fleet->printers.size()), checks);
  std::vector<FleetSent> sent;
  if (ensure) sent = SendLacking(run, *fleet, port, checks);
  WriteChecks(run, *fleet, checks, ensure ? &sent : nullptr);
  return CheckExitStatus(checks);
}

}  // namespace

int RunCheck(CommandRun& run) { return RunFleetCommand(run, false); }

int RunEnsure(CommandRun& run) { return RunFleetCommand(run, true); }
