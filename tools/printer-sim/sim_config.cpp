#include "sim_config.h"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>
#include <fstream>
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

// on/off, yes/no, true/false.
bool ParseSwitch(const std::string& text, bool& value) {
  if (text == "on" || text == "yes" || text == "true") {
    value = true;
  } else if (text == "off" || text == "no" || text == "false") {
    value = false;
  } else {
    return false;
  }
  return true;
}

// The keys of the AppSocket channel's PJL personality (PjlPersonality);
// false when `key` is none of them.
bool ApplyPjlPersonalityKey(const std::string& key, const std::string& value, PrinterConfig& config,
                            std::string& error) {
  PjlPersonality& pjl = config.pjl;
  static const std::map<std::string, bool PjlPersonality::*> switches = {
      {"pjl-echo-first", &PjlPersonality::echoFirst},
      {"pjl-unsolicited-status", &PjlPersonality::unsolicitedStatus},
      {"pjl-volume-backslash", &PjlPersonality::backslashVolumes},
      {"pjl-config-blanks", &PjlPersonality::configBlanks},
      {"pjl-lower-case", &PjlPersonality::lowerCase},
      {"pjl-blanks-around-equals", &PjlPersonality::blanksAroundEquals},
      {"pjl-nul-before-pjl", &PjlPersonality::nulBeforePjl},
      {"pjl-size-before-type", &PjlPersonality::sizeBeforeType},
      {"pjl-no-command-echo", &PjlPersonality::noCommandEcho}};
  static const std::map<std::string, uint32_t PjlPersonality::*> numbers = {
      {"pjl-directory-page", &PjlPersonality::directoryPage},
      {"pjl-answer-delay-ms", &PjlPersonality::answerDelayMs},
      {"pjl-late-answer", &PjlPersonality::lateAnswer},
      {"pjl-late-answer-ms", &PjlPersonality::lateAnswerMs}};
  if (auto found = switches.find(key); found != switches.end()) {
    if (!ParseSwitch(value, pjl.*found->second)) error = key + " must be yes or no";
  } else if (auto number = numbers.find(key); number != numbers.end()) {
    if (!ParseNumber<uint32_t>(value, 0, 600000, pjl.*number->second)) error = "bad " + key;
  } else if (key == "pjl-line-end") {
    static const std::map<std::string, std::string> ends = {{"crlf", "\r\n"}, {"lf", "\n"}, {"crcrlf", "\r\r\n"}};
    auto end = ends.find(value);
    if (end == ends.end()) error = "pjl-line-end must be crlf, lf or crcrlf";
    if (end != ends.end()) pjl.lineEnd = end->second;
  } else if (key == "pjl-filesys-table") {
    static const std::map<std::string, PjlPersonality::Table> tables = {{"tabs", PjlPersonality::Table::kTabs},
                                                                        {"reference", PjlPersonality::Table::kReference},
                                                                        {"blanks", PjlPersonality::Table::kBlanks}};
    auto table = tables.find(value);
    if (table == tables.end()) error = "pjl-filesys-table must be tabs, reference or blanks";
    if (table != tables.end()) pjl.table = table->second;
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

// One `key = value` of a [printer] section.
bool ApplyKey(const std::string& key, const std::string& value, const std::vector<ModelProfile>& models,
              PrinterConfig& config, int& repeat, std::string& error) {
  if (key == "model") {
    const ModelProfile* model = FindModel(models, value);
    if (!model) {
      error = "unknown model \"" + value + "\"";
      return false;
    }
    UseModel(*model, config);
  } else if (key == "system-id") {
    config.systemId = value;
  } else if (key == "address") {
    config.address = value;
  } else if (key == "name") {
    config.name = value;
  } else if (key == "description") {
    config.description = value;
  } else if (key == "contact") {
    config.contact = value;
  } else if (key == "location") {
    config.location = value;
  } else if (key == "read-community") {
    config.readCommunity = value;
  } else if (key == "write-community") {
    config.writeCommunity = value;
  } else if (key == "storage") {
    if (!ParseStorage(value, config.storage)) error = "storage must be none, disk, flash or both";
  } else if (key == "postscript-fonts") {
    if (!ParseNumber(value, 0, 10000, config.postScriptFonts)) error = "bad postscript-fonts";
  } else if (key == "pcl-fonts") {
    if (!ParseNumber(value, 0, 10000, config.pclFonts)) error = "bad pcl-fonts";
  } else if (key == "deletion-ms") {
    if (!ParseNumber<uint32_t>(value, 0, 600000, config.deletionMs)) error = "bad deletion-ms";
  } else if (key == "raw-port") {
    if (!ParseNumber<uint16_t>(value, 0, 65535, config.rawPort)) error = "bad raw-port";
  } else if (key == "file-system") {
    if (!ParseSwitch(value, config.fileSystemAccess)) error = "file-system must be on or off";
  } else if (key == "pjl-password") {
    if (!ParseNumber<uint32_t>(value, 0, 65535, config.pjlPassword)) error = "bad pjl-password";
  } else if (key == "disk-full") {
    if (!ParseSwitch(value, config.diskFull)) error = "disk-full must be yes or no";
  } else if (key == "count") {
    if (!ParseNumber(value, 1, kMostPrinters, repeat)) error = "bad count";
  } else if (ApplyPjlPersonalityKey(key, value, config, error)) {
    // one of the AppSocket channel's PJL personality keys
  } else if (ApplyPersonalityKey(key, value, config, error)) {
    // one of the SNMP personality's keys (snmp_personality.h)
  } else {
    error = "unknown key \"" + key + "\"";
  }
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
    if (!ApplyKey(key, Trim(line.substr(equals + 1)), models, *current, repeat, error)) {
      error = options.configFile + ":" + std::to_string(number) + ": " + error;
      return false;
    }
    addressGiven |= key == "address";
  }
  return flush();
}

}  // namespace printer_sim
