// The commands of glyctl and what each is given to run with.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "glyctl/command_line.h"
#include "glyctl/console.h"
#include "glyctl/glyctl.h"
#include "glyctl/scoped_variable.h"
#include "snmp/community_strings.h"

struct CommandRun {
  const CommandLine& line;
  GlyctlEnvironment& environment;
  Console& console;
  NewCommunityStrings communities;
  // The SNMP port the printers of the command were named with (HOST:PORT).
  std::optional<ScopedVariable> targetPort;
};

struct CommandInfo {
  const char* name;
  const char* usage;    // the words after the command's name
  const char* summary;  // one line
  const char* details;  // the help's body: arguments and options
  bool usesSnmp;        // takes --community and --community-file
  std::vector<OptionRule> options;
  int (*run)(CommandRun& run);
  // Makes job folders or exported files, which an interrupt removes.
  bool makesFiles = true;
};

const std::vector<CommandInfo>& GlyctlCommands();

int RunDiscover(CommandRun& run);
int RunAdd(CommandRun& run);
int RunFonts(CommandRun& run);
int RunDelete(CommandRun& run);
int RunDownload(CommandRun& run);
int RunExport(CommandRun& run);
int RunPrintFontList(CommandRun& run);
int RunReport(CommandRun& run);
int RunCheck(CommandRun& run);
int RunEnsure(CommandRun& run);
