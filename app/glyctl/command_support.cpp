#include "glyctl/command_support.h"

#include <algorithm>

#include "download/classify_resource.h"
#include "download/converter_operations.h"
#include "fonts/font_list_logic.h"
#include "fonts/font_rows.h"
#include "glyctl/exit_codes.h"
#include "glyctl/printer_target.h"
#include "printers/regular_file.h"
#include "snmp/contract/glysnmp.h"
#include "ui/resource_module.h"

std::optional<OutputFormat> OutputFormatOf(CommandRun& run) {
  const std::string text = run.line.Value("format").value_or("table");
  const std::optional<OutputFormat> format = ParseOutputFormat(text);
  if (!format) run.console.Message("--format is table, csv or json, not " + text);
  return format;
}

std::optional<int> FontViewOf(CommandRun& run) {
  const std::string text = run.line.Value("view").value_or("0");
  if (text.size() != 1 || text[0] < '0' || text[0] >= '0' + kFontViewCount) {
    run.console.Message("--view is a number from 0 to " + std::to_string(kFontViewCount - 1) + ", not " + text);
    return std::nullopt;
  }
  return text[0] - '0';
}

int FontListFailure(CommandRun& run, int32_t readResult) {
  const std::string& address = run.line.positional[0];
  switch (readResult) {
    case kSnmpFontsNoFileSystemAccess:
      run.console.Message(address + ": " + LoadResourceString(FontReadRefusalText(readResult)));
      return kExitNoFileSystem;
    case kSnmpFontsFileSystemLocked:
      run.console.Message(address + ": " + LoadResourceString(FontReadRefusalText(readResult)) +
                          " Give it as pjl-password= in the community file.");
      return kExitNoFileSystem;
    case kSnmpFontsPjlPasswordWrong:
      run.console.Message(address + ": " + LoadResourceString(FontReadRefusalText(readResult)) +
                          " Check pjl-password= in the community file.");
      return kExitNoFileSystem;
    default:
      // Every failure but silence says why: refused SNMPv3 credentials, an
      // answer that could not be read, a PJL exchange cut short ...
      const bool told = readResult != kSnmpNoAnswer;
      run.console.Message("cannot read the font list of " + address +
                          (told ? std::string(": ") + SnmpResultText(readResult) : std::string()));
      return kExitNoPrinter;
  }
}

std::vector<PrinterRecord*> LookUpPrinters(CommandRun& run, ConsolePrinters& printers,
                                           const std::vector<std::string>& addresses, int& failure) {
  // Host names are resolved once, here; the printers are known by address.
  std::vector<std::string> resolved;
  std::optional<uint16_t> snmpPort;
  for (const std::string& address : addresses) {
    std::string error;
    const std::optional<PrinterTarget> target = ResolvePrinterTarget(address, error);
    if (!target) {
      run.console.Message(error);
      failure = kExitUsage;
      return {};
    }
    // The library asks every printer of a run at one SNMP port.
    if (target->snmpPort && snmpPort && *target->snmpPort != *snmpPort) {
      run.console.Message("the printers of one command share one SNMP port: " + address);
      failure = kExitUsage;
      return {};
    }
    if (target->snmpPort) snmpPort = target->snmpPort;
    resolved.push_back(FormatAddress(target->address));
  }
  if (snmpPort) run.targetPort.emplace("GLY_SNMP_PORT", std::to_string(*snmpPort));
  std::vector<PrinterRecord*> found;
  for (const std::string& address : resolved) {
    std::string error;
    PrinterRecord* printer = printers.Add(address, error);
    if (!printer) {
      if (!error.empty()) run.console.Message(error);
      failure = kExitNoPrinter;
      return {};
    }
    if (std::find(found.begin(), found.end(), printer) == found.end()) found.push_back(printer);
  }
  return found;
}

bool CheckResourceFiles(CommandRun& run, const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    if (std::string error; !IsReadableRegularFile(path, error)) {
      run.console.Message(error);
      return false;
    }
    const ResourceRow row = ClassifyResource(path, [](const char* file, char* name, ResourceKindInfo* info) {
      return ConverterLibrary().ClassifyFontFile(file, name, info);
    });
    if (!row.accepted) {
      run.console.Message(path + ": " + kInvalidFontFileText);
      return false;
    }
  }
  return true;
}

namespace {

std::optional<std::string> ResourceNameOption(CommandRun& run, const char* option, ResourceNameKind kind,
                                              bool needed, bool& valid) {
  const std::optional<std::string> value = run.line.Value(option);
  if (!value) {
    if (needed) {
      run.console.Message(std::string("a ") + (kind == ResourceNameKind::kMacroId ? "PCL macro" : "PostScript form") +
                          " needs --" + option);
      valid = false;
    }
    return std::nullopt;
  }
  if (const std::string problem = ResourceNameProblem(kind, *value); !problem.empty()) {
    run.console.Message("--" + std::string(option) + ": " + problem);
    valid = false;
  }
  return value;
}

}  // namespace

std::optional<ResourceNames> ResourceNamesOf(CommandRun& run, const std::vector<std::string>& paths) {
  bool macro = false, form = false;
  for (const std::string& path : paths) {
    const ResourceRow row = ClassifyResource(path, [](const char* file, char* name, ResourceKindInfo* info) {
      return ConverterLibrary().ClassifyFontFile(file, name, info);
    });
    if (row.kindInfo.kind != 0) continue;  // a font, whatever its name
    const PassThroughKind kind = PassThroughKindOf(row.fileName);
    macro = macro || kind == PassThroughKind::kPclMacro;
    form = form || kind == PassThroughKind::kPostScriptForm;
  }
  bool valid = true;
  ResourceNames names;
  names.macroId = ResourceNameOption(run, "macro-id", ResourceNameKind::kMacroId, macro, valid);
  names.formName = ResourceNameOption(run, "form-name", ResourceNameKind::kFormName, form, valid);
  if (!valid) return std::nullopt;
  return names;
}

std::optional<StorageLocation> StorageLocationOf(CommandRun& run) {
  const std::string text = run.line.Value("to").value_or("disk");
  if (text == "disk") return kHardDisk;
  if (text == "flash") return kFlashMemory;
  run.console.Message("--to is disk or flash, not " + text);
  return std::nullopt;
}

namespace {

// A setting a command may override for every printer: none when option
// `name` is not given, nullopt after a message naming the `accepted` words
// when `parse` refuses its value.
template <typename Setting>
std::optional<std::optional<Setting>> OverrideOf(CommandRun& run, const std::string& name,
                                                 std::optional<Setting> (*parse)(std::string_view),
                                                 const std::string& accepted) {
  const std::optional<std::string> text = run.line.Value(name);
  if (!text) return std::optional<Setting>();
  if (const std::optional<Setting> setting = parse(*text)) return setting;
  run.console.Message("--" + name + " is " + accepted + ", not " + *text);
  return std::nullopt;
}

}  // namespace

std::optional<std::optional<JobPort>> JobPortOf(CommandRun& run) {
  return OverrideOf(run, "port", ParseJobPort, "lpr, raw or ipp");
}

std::optional<std::optional<LprPacing>> LprPacingOf(CommandRun& run) {
  return OverrideOf(run, "lpr-pacing", ParseLprPacing, "classic or none");
}

std::optional<ConversionOptions> ConversionOf(CommandRun& run) {
  const std::string text = run.line.Value("convert").value_or("both");
  ConversionOptions options;
  if (text == "type1") {
    options.toType1 = true;
  } else if (text == "pcl") {
    options.toPclTrueType = true;
  } else if (text == "both") {
    options.both = true;
  } else {
    run.console.Message("--convert is type1, pcl or both, not " + text);
    return std::nullopt;
  }
  return options;
}

std::optional<int> ParallelOf(CommandRun& run) {
  const std::string text = run.line.Value("parallel").value_or("1");
  if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos ||
      std::stoi(text) < 1 || std::stoi(text) > kMostParallelPrinters) {
    run.console.Message("--parallel is a number from 1 to " + std::to_string(kMostParallelPrinters) + ", not " + text);
    return std::nullopt;
  }
  return std::stoi(text);
}
