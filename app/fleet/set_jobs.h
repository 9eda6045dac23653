// What the jobs of a set's resources leave on a printer, found by preparing
// each resource's jobs once for the whole fleet, so that each is recognised
// on a printer by the names and sizes its download gives it.
#pragma once

#include <string>
#include <vector>

#include "download/prepare_resource_job.h"
#include "fleet/resource_set.h"

class ConverterOperations;

struct SetResourceParts {
  // What its jobs leave on a printer, one entry per job (its job file is
  // not kept); empty when it could not be prepared.
  std::vector<SentResource> parts;
  std::string problem;  // why not, for the user
};

// Prepares every resource of `resources` as a download prepares it (the
// same classification, conversion and job writers), each once, with the
// job files in `jobFolder`. One entry per resource, in order.
std::vector<SetResourceParts> PrepareSetJobs(const std::vector<SetResource>& resources,
                                             ConverterOperations& converter, const std::string& jobFolder);
