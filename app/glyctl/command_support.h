// What several commands share: the --format option, printers looked up by
// address, the list of resource files, and private scratch folders.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "download/prepare_resource_job.h"
#include "glyctl/commands.h"
#include "glyctl/console_printers.h"
#include "glyctl/output_table.h"
#include "printers/printer_settings.h"

// --format, table by default; nullopt after a message for anything else.
std::optional<OutputFormat> OutputFormatOf(CommandRun& run);

// --parallel N: how many printers are served side by side (1 by default,
// at most kMostParallelPrinters; more only add connections); nullopt after
// a message.
inline constexpr int kMostParallelPrinters = 64;
std::optional<int> ParallelOf(CommandRun& run);

// --view, a font list view from 0 to 8 (0 by default); nullopt after a
// message.
std::optional<int> FontViewOf(CommandRun& run);

// The printers at `addresses`, each once and in the order given. An empty
// list after a message, with the exit status in `failure`, when one is not
// an address or does not answer as a printer.
std::vector<PrinterRecord*> LookUpPrinters(CommandRun& run, ConsolePrinters& printers,
                                           const std::vector<std::string>& addresses, int& failure);

// Why the font list of the printer named first on the command line could
// not be read (`readResult` of the font list logic), told; the exit status.
int FontListFailure(CommandRun& run, int32_t readResult);

// Checks that every file can be read and is a resource the Resource
// Manager accepts (a font, or a macro, form or print file by extension);
// false after a message naming the first that is not.
bool CheckResourceFiles(CommandRun& run, const std::vector<std::string>& paths);

// --to disk|flash and --convert type1|pcl|both (both by default, as the
// conversion question opens); nullopt after a message.
std::optional<StorageLocation> StorageLocationOf(CommandRun& run);
// --port lpr|raw|ipp: the job port for every printer of the command; none
// when not given (each printer keeps its own), nullopt with a message when
// it names no port.
std::optional<std::optional<JobPort>> JobPortOf(CommandRun& run);
// --lpr-pacing classic|none for every printer of the command; none when not
// given, nullopt with a message when it names no pacing.
std::optional<std::optional<LprPacing>> LprPacingOf(CommandRun& run);
std::optional<ConversionOptions> ConversionOf(CommandRun& run);

// The answers of the "Form / Macro Name" question for the run.
struct ResourceNames {
  std::optional<std::string> macroId;   // --macro-id
  std::optional<std::string> formName;  // --form-name
};
// --macro-id and --form-name, each checked, and each required when one of
// `paths` (checked resource files) is a macro or a form; nullopt after a
// message.
std::optional<ResourceNames> ResourceNamesOf(CommandRun& run, const std::vector<std::string>& paths);
