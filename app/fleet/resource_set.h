// A resource set: the resources every printer of a fleet is to hold and the
// printers of the fleet, kept in a plain text file that `glyctl check`,
// `glyctl ensure` and the Fleet Fonts window read. One entry a line; blank
// lines and lines starting with # are skipped:
//
//   resource PATH [to=disk|flash] [convert=type1|pcl|both] [macro-id=N] [form-name=NAME]
//   printer ADDRESS...
//   printer-list FILE
//
// A PATH or FILE that holds blanks is written in double quotes; a relative
// one is taken from the set file's folder. `to` is where a download stores
// the resource (disk by default), `convert` how a TrueType font is
// converted (both by default), `macro-id` the ID a PCL macro is stored
// under, `form-name` the name a PostScript form is stored under.
// `printer-list` takes the printers of a list saved by the program's Save
// Printer List. The file names no secret: community strings and PJL
// passwords come from the community file as for every other command.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "download/download_job.h"
#include "download/resource_job_questions.h"

// Files larger than this are refused unread.
inline constexpr size_t kResourceSetFileLimit = 1 << 20;

struct SetResource {
  std::string path;
  int line = 0;  // where the set names it, for messages
  StorageLocation location = kHardDisk;
  ConversionOptions conversion;  // exactly one target chosen
  std::optional<std::string> macroId;
  std::optional<std::string> formName;
};

struct ResourceSet {
  std::vector<SetResource> resources;
  std::vector<std::string> addresses;     // dotted, in the order named
  std::vector<std::string> printerLists;  // paths of saved printer lists
};

// The set in `text`; relative paths are taken from `folder`. nullopt when a
// line is not an entry, with `error` naming the line ("line 3: ...").
std::optional<ResourceSet> ParseResourceSet(std::string_view text, const std::string& folder, std::string& error);

// The set in the regular file at `path`; nullopt with `error` naming the
// file and line.
std::optional<ResourceSet> ReadResourceSetFile(const std::string& path, std::string& error);
