#include "sim_config.h"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <functional>
#include <map>

namespace printer_sim {
namespace {

constexpr int kMostPrinters = 4096;

std::string Trim(std::string text) {
  const char* blanks = " \t\r";
  size_t start = text.find_first_not_of(blanks);
  if (start == std::string::npos) return {};
  return text.substr(start, text.find_last_not_of(blanks) - start + 1);
}

template <typename Number>
bool ParseNumber(const std::string& text, Number low, Number high, Number& value) {
  Number parsed{};
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high) return false;
  value = parsed;
  return true;
}

bool ParseStorage(const std::string& text, Storage& storage) {
  static const std::map<std::string, Storage> names = {
      {"none", Storage::kNone}, {"disk", Storage::kDisk}, {"flash", Storage::kFlash}, {"both", Storage::kBoth}};
  auto it = names.find(text);
  if (it == names.end()) return false;
  storage = it->second;
  return true;
}

bool ParseStorageReport(const std::string& text, StorageReport& report) {
  static const std::map<std::string, StorageReport> names = {
      {"storage", StorageReport::kStorageTable},
      {"device", StorageReport::kDeviceTable},
      {"both", StorageReport::kBoth}};
  auto it = names.find(text);
  if (it == names.end()) return false;
  report = it->second;
  return true;
}

// Every yes/no key takes yes/no, on/off or true/false.
bool ParseYesNo(const std::string& text, bool& value) {
  if (text == "yes" || text == "on" || text == "true") {
    value = true;
  } else if (text == "no" || text == "off" || text == "false") {
    value = false;
  } else {
    return false;
  }
  return true;
}

const ModelProfile* FindModel(const std::vector<ModelProfile>& models, const std::string& name) {
  auto it = std::find_if(models.begin(), models.end(), [&](const ModelProfile& m) { return m.name == name; });
  return it == models.end() ? nullptr : &*it;
}

void UseModel(const ModelProfile& model, PrinterConfig& config) {
  config.systemId = model.systemId;
  config.description = model.name + " (virtual printer)";
}

constexpr uint64_t kMostMegabytes = 1 << 20;  // a terabyte
constexpr uint32_t kMostAllocationUnit = 1 << 20;
constexpr uint32_t kMostNvramUnits = 1 << 16;

// What one key of a [printer] section may change.
struct Section {
  PrinterConfig& config;
  int& repeat;
  const std::vector<ModelProfile>& models;
};

// One key of a [printer] section: its parser stores a good value where the
// key belongs and returns what is wrong with a bad one (empty when nothing).
struct ConfigKey {
  std::string key;
  std::function<std::string(const std::string& value, Section& section)> parse;
};

// A parser that says `problem` when `accept` refuses the value.
template <typename Accept>
ConfigKey Checked(std::string key, std::string problem, Accept accept) {
  return {std::move(key), [problem = std::move(problem), accept](const std::string& value, Section& section) {
            return accept(value, section) ? std::string() : problem;
          }};
}

// The field a key sets, given the section's printer.
template <typename Field>
using FieldOf = Field& (*)(PrinterConfig&);

ConfigKey Text(std::string key, FieldOf<std::string> field) {
  return Checked(std::move(key), {}, [field](const std::string& value, Section& section) {
    field(section.config) = value;
    return true;
  });
}

ConfigKey YesNo(std::string key, FieldOf<bool> field) {
  std::string problem = key + " must be yes or no";
  return Checked(std::move(key), std::move(problem), [field](const std::string& value, Section& section) {
    return ParseYesNo(value, field(section.config));
  });
}

template <typename Number>
ConfigKey Bounded(std::string key, Number low, Number high, FieldOf<Number> field) {
  std::string problem = "bad " + key;
  return Checked(std::move(key), std::move(problem), [=](const std::string& value, Section& section) {
    return ParseNumber(value, low, high, field(section.config));
  });
}

ConfigKey Megabytes(std::string key, FieldOf<uint64_t> field) {
  std::string problem = "bad " + key;
  return Checked(std::move(key), std::move(problem), [field](const std::string& value, Section& section) {
    uint64_t megabytes = 0;
    if (!ParseNumber<uint64_t>(value, 1, kMostMegabytes, megabytes)) return false;
    field(section.config) = megabytes << 20;
    return true;
  });
}

// A key that takes one of a few words, each standing for a value.
template <typename Value>
ConfigKey Choice(std::string key, std::map<std::string, Value> words, FieldOf<Value> field) {
  std::string problem = key + " must be";
  for (auto word = words.begin(); word != words.end(); ++word) {
    problem += (word == words.begin() ? " " : std::next(word) == words.end() ? " or " : ", ") + word->first;
  }
  return Checked(std::move(key), std::move(problem), [words = std::move(words), field](const std::string& value,
                                                                                      Section& section) {
    auto word = words.find(value);
    if (word == words.end()) return false;
    field(section.config) = word->second;
    return true;
  });
}

const std::vector<ConfigKey>& ConfigKeys() {
  static const std::vector<ConfigKey> keys = {
      {"model",
       [](const std::string& value, Section& section) {
         const ModelProfile* model = FindModel(section.models, value);
         if (!model) return "unknown model \"" + value + "\"";
         UseModel(*model, section.config);
         return std::string();
       }},
      Checked("count", "bad count",
              [](const std::string& value, Section& section) {
                return ParseNumber(value, 1, kMostPrinters, section.repeat);
              }),
      Text("system-id", [](PrinterConfig& c) -> std::string& { return c.systemId; }),
      Text("address", [](PrinterConfig& c) -> std::string& { return c.address; }),
      Text("name", [](PrinterConfig& c) -> std::string& { return c.name; }),
      Text("description", [](PrinterConfig& c) -> std::string& { return c.description; }),
      Text("contact", [](PrinterConfig& c) -> std::string& { return c.contact; }),
      Text("location", [](PrinterConfig& c) -> std::string& { return c.location; }),
      Text("read-community", [](PrinterConfig& c) -> std::string& { return c.readCommunity; }),
      Text("write-community", [](PrinterConfig& c) -> std::string& { return c.writeCommunity; }),
      Checked("storage", "storage must be none, disk, flash or both",
              [](const std::string& value, Section& section) { return ParseStorage(value, section.config.storage); }),
      Bounded<int>("postscript-fonts", 0, 10000, [](PrinterConfig& c) -> int& { return c.postScriptFonts; }),
      Bounded<int>("pcl-fonts", 0, 10000, [](PrinterConfig& c) -> int& { return c.pclFonts; }),
      Bounded<uint32_t>("deletion-ms", 0, 600000, [](PrinterConfig& c) -> uint32_t& { return c.deletionMs; }),
      Bounded<uint16_t>("raw-port", 0, 65535, [](PrinterConfig& c) -> uint16_t& { return c.rawPort; }),
      YesNo("file-system", [](PrinterConfig& c) -> bool& { return c.fileSystemAccess; }),
      Bounded<uint32_t>("pjl-password", 0, 65535, [](PrinterConfig& c) -> uint32_t& { return c.pjlPassword; }),
      YesNo("disk-full", [](PrinterConfig& c) -> bool& { return c.diskFull; }),
      Bounded<uint32_t>("job-pin", 0, 65535, [](PrinterConfig& c) -> uint32_t& { return c.jobPin; }),
      YesNo("flash-folders", [](PrinterConfig& c) -> bool& { return c.flashFolders; }),
      YesNo("mkdir-parents", [](PrinterConfig& c) -> bool& { return c.mkdirParents; }),
      Bounded<uint32_t>("store-delay-ms", 0, 600000, [](PrinterConfig& c) -> uint32_t& { return c.storeDelayMs; }),
      // How the AppSocket channel's PJL replies depart from the reference
      // (pjl_personality.h).
      Choice<std::string>("pjl-line-end", {{"crlf", "\r\n"}, {"crcrlf", "\r\r\n"}, {"lf", "\n"}},
                          [](PrinterConfig& c) -> std::string& { return c.pjl.lineEnd; }),
      Choice<PjlPersonality::Table>("pjl-filesys-table",
                                    {{"blanks", PjlPersonality::Table::kBlanks},
                                     {"reference", PjlPersonality::Table::kReference},
                                     {"tabs", PjlPersonality::Table::kTabs}},
                                    [](PrinterConfig& c) -> PjlPersonality::Table& { return c.pjl.table; }),
      YesNo("pjl-echo-first", [](PrinterConfig& c) -> bool& { return c.pjl.echoFirst; }),
      YesNo("pjl-unsolicited-status", [](PrinterConfig& c) -> bool& { return c.pjl.unsolicitedStatus; }),
      YesNo("pjl-volume-backslash", [](PrinterConfig& c) -> bool& { return c.pjl.backslashVolumes; }),
      YesNo("pjl-config-blanks", [](PrinterConfig& c) -> bool& { return c.pjl.configBlanks; }),
      YesNo("pjl-lower-case", [](PrinterConfig& c) -> bool& { return c.pjl.lowerCase; }),
      YesNo("pjl-blanks-around-equals", [](PrinterConfig& c) -> bool& { return c.pjl.blanksAroundEquals; }),
      YesNo("pjl-nul-before-pjl", [](PrinterConfig& c) -> bool& { return c.pjl.nulBeforePjl; }),
      YesNo("pjl-size-before-type", [](PrinterConfig& c) -> bool& { return c.pjl.sizeBeforeType; }),
      YesNo("pjl-no-command-echo", [](PrinterConfig& c) -> bool& { return c.pjl.noCommandEcho; }),
      Bounded<uint32_t>("pjl-directory-page", 0, 600000, [](PrinterConfig& c) -> uint32_t& { return c.pjl.directoryPage; }),
      Bounded<uint32_t>("pjl-answer-delay-ms", 0, 600000, [](PrinterConfig& c) -> uint32_t& { return c.pjl.answerDelayMs; }),
      Bounded<uint32_t>("pjl-late-answer", 0, 600000, [](PrinterConfig& c) -> uint32_t& { return c.pjl.lateAnswer; }),
      Bounded<uint32_t>("pjl-late-answer-ms", 0, 600000, [](PrinterConfig& c) -> uint32_t& { return c.pjl.lateAnswerMs; }),
      // How the printer presents itself over SNMP (snmp_personality.h).
      Checked("real", "real must be yes or no",
              [](const std::string& value, Section& section) {
                bool real = false;
                if (!ParseYesNo(value, real)) return false;
                if (real) UseRealPrinterDefaults(section.config.snmp);
                return true;
              }),
      YesNo("font-mib", [](PrinterConfig& c) -> bool& { return c.snmp.fontMib; }),
      Checked("storage-report", "storage-report must be storage, device or both",
              [](const std::string& value, Section& section) {
                return ParseStorageReport(value, section.config.snmp.storageReport);
              }),
      Megabytes("disk-mb", [](PrinterConfig& c) -> uint64_t& { return c.diskBytes; }),
      Megabytes("flash-mb", [](PrinterConfig& c) -> uint64_t& { return c.flashBytes; }),
      Bounded<uint32_t>("allocation-unit", 1, kMostAllocationUnit,
                        [](PrinterConfig& c) -> uint32_t& { return c.snmp.allocationUnit; }),
      Bounded<uint32_t>("nvram-units", 0, kMostNvramUnits,
                        [](PrinterConfig& c) -> uint32_t& { return c.snmp.nvramUnits; }),
      Text("device-description", [](PrinterConfig& c) -> std::string& { return c.snmp.deviceDescription; }),
      YesNo("host-printer-row", [](PrinterConfig& c) -> bool& { return c.snmp.hostPrinterRow; }),
      YesNo("printer-mib", [](PrinterConfig& c) -> bool& { return c.snmp.printerMib; }),
      Text("serial-number", [](PrinterConfig& c) -> std::string& { return c.snmp.serialNumber; }),
      Text("device-id", [](PrinterConfig& c) -> std::string& { return c.snmp.deviceId; }),
      Checked("languages", "languages must name pjl, pcl, pclxl, postscript, pdf or hpgl",
              [](const std::string& value, Section& section) {
                return ParseLanguages(value, section.config.snmp.languages);
              }),
      Checked("channels", "channels must name lpd, raw, appsocket or ipp, each with :off or not",
              [](const std::string& value, Section& section) {
                return ParseChannels(value, section.config.snmp.channels);
              }),
  };
  return keys;
}

// One `key = value` of a [printer] section.
bool ApplyKey(const std::string& key, const std::string& value, Section section, std::string& error) {
  const std::vector<ConfigKey>& keys = ConfigKeys();
  auto found = std::find_if(keys.begin(), keys.end(), [&](const ConfigKey& k) { return k.key == key; });
  error = found == keys.end() ? "unknown key \"" + key + "\"" : found->parse(value, section);
  return error.empty();
}

}  // namespace

const char kUsage[] =
    "usage: printer-sim [options]\n"
    "  --count N              printers to start (default 1)\n"
    "  --first ADDRESS        address of the first printer (default 127.0.0.10)\n"
    "  --snmp-port PORT       SNMP port (default 161, else GLY_SNMP_PORT)\n"
    "  --lpd-port PORT        LPD port (default 515, else GLY_LPR_PORT)\n"
    "  --raw-port PORT        AppSocket port (default 9100, else GLY_RAW_PORT)\n"
    "  --storage none|disk|flash|both   mass storage (default both)\n"
    "  --fonts N              internal fonts of each type, PostScript and PCL (default 4)\n"
    "  --model NAME           model of QPntStrPrfl.ini (default: each printer the next)\n"
    "  --profiles FILE        the model table (default: QPntStrPrfl.ini beside the program)\n"
    "  --config FILE          printers described in FILE (see the README)\n";

std::vector<ModelProfile> ReadModelProfiles(const std::string& path) {
  std::vector<ModelProfile> models;
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      std::string section = line.substr(1, line.size() - 2);
      if (section != "NumberOfPrinters" && section != "Format") models.push_back({section, {}});
    } else if (!models.empty() && line.rfind("SystemID=", 0) == 0) {
      models.back().systemId = Trim(line.substr(9));
    }
  }
  models.erase(std::remove_if(models.begin(), models.end(), [](const ModelProfile& m) { return m.systemId.empty(); }),
               models.end());
  return models;
}

bool ParseOptions(int argc, const char* const* argv, SimOptions& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      options.help = true;
      continue;
    }
    if (i + 1 >= argc) {
      error = "missing value after " + option;
      return false;
    }
    std::string value = argv[++i];
    uint16_t port = 0;
    int fonts = 0;
    if (option == "--count") {
      if (!ParseNumber(value, 1, kMostPrinters, options.count)) error = "bad --count";
    } else if (option == "--first") {
      options.first = value;
    } else if (option == "--snmp-port" || option == "--lpd-port" || option == "--raw-port") {
      if (!ParseNumber<uint16_t>(value, 0, 65535, port)) error = "bad " + option;
      (option == "--snmp-port" ? options.snmpPort : option == "--lpd-port" ? options.lpdPort : options.rawPort) = port;
    } else if (option == "--storage") {
      if (!ParseStorage(value, options.defaults.storage)) error = "--storage must be none, disk, flash or both";
    } else if (option == "--fonts") {
      if (!ParseNumber(value, 0, 10000, fonts)) error = "bad --fonts";
      options.defaults.postScriptFonts = options.defaults.pclFonts = fonts;
    } else if (option == "--model") {
      options.model = value;
    } else if (option == "--profiles") {
      options.profilesFile = value;
    } else if (option == "--config") {
      options.configFile = value;
    } else {
      error = "unknown option " + option;
    }
    if (!error.empty()) return false;
  }
  return true;
}

std::optional<std::string> NextAddress(const std::string& address) {
  in_addr parsed{};
  if (inet_pton(AF_INET, address.c_str(), &parsed) != 1) return std::nullopt;
  uint32_t host = ntohl(parsed.s_addr);
  if (host == UINT32_MAX) return std::nullopt;
  parsed.s_addr = htonl(host + 1);
  char text[INET_ADDRSTRLEN];
  inet_ntop(AF_INET, &parsed, text, sizeof text);
  return std::string(text);
}

bool PlanPrinters(const SimOptions& options, const std::vector<ModelProfile>& models,
                  std::vector<PrinterConfig>& printers, std::string& error) {
  std::string address = options.first;
  auto place = [&](PrinterConfig config, bool addressGiven) {
    if (!addressGiven) config.address = address;
    std::optional<std::string> next = NextAddress(config.address);
    if (!next) {
      error = "bad address " + config.address;
      return false;
    }
    address = *next;
    if (config.name == PrinterConfig{}.name) config.name = "VP" + std::to_string(printers.size() + 1);
    printers.push_back(std::move(config));
    return true;
  };

  if (options.configFile.empty()) {
    const ModelProfile* fixed = options.model.empty() ? nullptr : FindModel(models, options.model);
    if (!options.model.empty() && !fixed) {
      error = "unknown model \"" + options.model + "\"";
      return false;
    }
    for (int i = 0; i < options.count; ++i) {
      PrinterConfig config = options.defaults;
      if (fixed) {
        UseModel(*fixed, config);
      } else if (!models.empty()) {
        UseModel(models[static_cast<size_t>(i) % models.size()], config);
      }
      if (!place(config, false)) return false;
    }
    return true;
  }

  std::ifstream file(options.configFile);
  if (!file) {
    error = "cannot read " + options.configFile;
    return false;
  }
  std::optional<PrinterConfig> current;
  bool addressGiven = false;
  int repeat = 1;
  auto flush = [&]() {
    if (!current) return true;
    for (int i = 0; i < repeat; ++i) {
      if (!place(*current, addressGiven && i == 0)) return false;
      if (i == 0) current->name = PrinterConfig{}.name;
    }
    return true;
  };
  std::string line;
  int number = 0;
  while (std::getline(file, line)) {
    ++number;
    // A blank and "#" start a comment after a value, as in the README's examples.
    line = Trim(line.substr(0, std::min(line.find(" #"), line.find("\t#"))));
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line == "[printer]") {
      if (!flush()) return false;
      current = options.defaults;
      addressGiven = false;
      repeat = 1;
      continue;
    }
    size_t equals = line.find('=');
    if (!current || equals == std::string::npos) {
      error = options.configFile + ":" + std::to_string(number) + ": expected [printer] or key = value";
      return false;
    }
    std::string key = Trim(line.substr(0, equals));
    if (!ApplyKey(key, Trim(line.substr(equals + 1)), {*current, repeat, models}, error)) {
      error = options.configFile + ":" + std::to_string(number) + ": " + error;
      return false;
    }
    addressGiven |= key == "address";
  }
  return flush();
}

}  // namespace printer_sim
