// ensure's downloads: each resource of a set sent to exactly the printers
// that lack it, through the download worker as `glyctl download` runs it
// (parallel_download.h). The worker takes one storage location, one
// conversion and one macro ID or form name for all its resources, so the
// resources are sent in batches that share those and their printers.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "download/download_outcome.h"
#include "download/job_port.h"
#include "fleet/resource_set.h"
#include "glyctl/commands.h"
#include "snmp/contract/snmp_records.h"

struct FleetSent {
  size_t resource = 0;  // in the set
  size_t printer = 0;   // in the printers given
  ResourceOutcome outcome;
};

// Sends resource r to the printers `lacking[r]` (indexes into `printers`),
// `parallel` printers at a time; `port`, when given, for every printer,
// else each printer's own. One entry per resource and printer sent to.
// False when a job folder could not be made (nothing went to the printers
// it was for).
bool SendToFleet(CommandRun& run, const std::vector<SetResource>& resources, const std::vector<PrinterRecord>& printers,
                 const std::vector<std::vector<size_t>>& lacking, int parallel, std::optional<JobPort> port,
                 std::vector<FleetSent>& sent);
