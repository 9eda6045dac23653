#include "glyctl/glyctl.h"

#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>

#include "glyctl/commands.h"
#include "glyctl/community_options.h"
#include "glyctl/exit_codes.h"
#include "glyctl/output_table.h"
#include "glyctl/scoped_variable.h"
#include "shell/gly_app.h"
#include "ui/resource_module.h"

namespace {

constexpr char kVersion[] = "glyctl " GLY_VERSION;

constexpr char kCommunityHelp[] =
    "SNMP communities:\n"
    "  --community STRING     the read community (default: the program's)\n"
    "  --community-file FILE  lines read=STRING, write=STRING, trap=STRING and\n"
    "                         pjl-password=NUMBER (for the file system of\n"
    "                         printers read over PJL); the\n"
    "                         file must belong to you and be readable by you\n"
    "                         only (chmod 600). The write community is taken\n"
    "                         from this file alone, never from the command line.\n"
    "SNMPv3, from the community file or the environment (GLY_SNMP_VERSION,\n"
    "GLY_V3_USER, ...; the file wins), never the command line but the version:\n"
    "  snmp-version=1|2c|3    v3-user=NAME\n"
    "  v3-level=noAuthNoPriv|authNoPriv|authPriv (default: from the passphrases)\n"
    "  v3-auth-protocol=SHA-1|SHA-224|SHA-256|SHA-384|SHA-512|MD5 (SHA-1)\n"
    "  v3-auth-passphrase=TEXT (8 or more characters)\n"
    "  v3-priv-protocol=AES-128|AES-192|AES-256|AES-192-C|AES-256-C|DES (AES-128)\n"
    "  v3-priv-passphrase=TEXT (8 or more characters)\n"
    "They apply to every printer the command asks, and to discovery.\n";

constexpr char kExitHelp[] =
    "Exit status:\n"
    "  0  done            1  partly done or refused by the printer\n"
    "  2  usage error     3  no printer answers at an address\n"
    "  4  not a resource file, or a font the printer lacks or cannot delete\n"
    "  5  community file refused    6  a deletion did not finish in time\n"
    "  7  cannot write an output    8  incomplete installation\n"
    "  9  the printer keeps its file system closed (access off, PJL password)\n"
    "  10 the printer answers but lists no fonts\n"
    "  11 the font list reached 20000 fonts and may lack some\n"
    "  12 downloaded, but a printer could not confirm holding a file\n"
    "  13 a printer took a file it then did not hold (refused it)\n"
    "  14 a printer lacks the storage asked for; nothing was sent to it\n"
    "  15 a printer stopped taking data (30 s without progress)\n"
    "  16 an IPP printer asks for a user name and password (none is sent)\n"
    "  17 an IPP job stayed in one state on the printer for 5 minutes\n"
    "     (a download gives the first of 15, 16, 17, 13, 1, 14 and 12 that applies)\n"
    "  check and ensure: 0 every printer holds every resource, 1 one lacks\n"
    "     something, 3 a printer did not answer\n"
    "  128+N  ended by signal N; job folders and unfinished exports removed\n";

constexpr char kSharedHelp[] =
    "Options of every command:\n"
    "  -h, --help             this command's help\n"
    "  -V, --version          glyctl's version\n"
    "  --no-header            tables and CSV without their header line\n"
    "  --trace                every request to a printer and its reply, one\n"
    "                         line each, on standard error (GLY_TRACE=all, or\n"
    "                         some of snmp,pjl,ipp,lpr); communities and\n"
    "                         passwords masked\n"
    "  --trace-file FILE      the trace appended to FILE (GLY_TRACE_FILE)\n"
    "Options of every command that asks printers over SNMP:\n"
    "  -t, --timeout SECONDS  wait for each SNMP answer (default 1, at most 60;\n"
    "                         GLY_SNMP_TIMEOUT_MS in milliseconds)\n"
    "  -r, --retries N        ask again N times (default 2, 0 to 10; GLY_SNMP_RETRIES)\n"
    "  -p, --snmp-port PORT   the printers' SNMP port (161; GLY_SNMP_PORT)\n"
    "  --snmp-version 1|2c|3  (GLY_SNMP_VERSION, snmp-version= in the community\n"
    "                         file); the command line wins over both\n"
    "A printer is named by its IPv4 address or its host name, which is\n"
    "resolved once and shown as the address; HOST:PORT gives the SNMP port.\n";

const CommandInfo* FindCommand(const std::string& name) {
  for (const CommandInfo& command : GlyctlCommands())
    if (name == command.name) return &command;
  return nullptr;
}

void WriteSharedHelp(std::ostream& out) { out << kSharedHelp << '\n' << kCommunityHelp << '\n' << kExitHelp; }

void WriteOverview(std::ostream& out) {
  out << "Usage: glyctl COMMAND [OPTIONS] ARGUMENTS\n"
         "       glyctl COMMAND --help\n"
         "       glyctl help options\n\n"
         "Printer font management from the command line.\n\nCommands:\n";
  for (const CommandInfo& command : GlyctlCommands()) {
    std::string name = command.name;
    name.resize(17, ' ');
    out << "  " << name << command.summary << '\n';
  }
  out << '\n';
  WriteSharedHelp(out);
}

void WriteCommandHelp(std::ostream& out, const CommandInfo& command) {
  out << "Usage: glyctl " << command.name << ' ' << command.usage << "\n\n"
      << command.details << "\nOptions of every command (-h, -V"
      << (command.usesSnmp ? ", -t, -r, -p, --community, ..." : "")
      << ") and the exit statuses: glyctl help options\n";
}

// Options every command takes; those of SNMP only where the command asks
// printers.
void AddSharedRules(std::vector<OptionRule>& rules, bool usesSnmp) {
  rules.push_back({"help", OptionRule::kFlag, 'h'});
  rules.push_back({"version", OptionRule::kFlag, 'V'});
  rules.push_back({"no-header", OptionRule::kFlag});
  rules.push_back({"trace", OptionRule::kFlag});
  rules.push_back({"trace-file", OptionRule::kValue});
  if (!usesSnmp) return;
  rules.push_back({"community", OptionRule::kValue});
  rules.push_back({"community-file", OptionRule::kValue});
  rules.push_back({"timeout", OptionRule::kValue, 't'});
  rules.push_back({"retries", OptionRule::kValue, 'r'});
  rules.push_back({"snmp-port", OptionRule::kValue, 'p'});
  rules.push_back({"snmp-version", OptionRule::kValue});
}

// A whole number within [least, most], or nullopt.
std::optional<long> NumberIn(const std::string& text, long least, long most) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const long number = std::stol(text);
  if (number < least || number > most) return std::nullopt;
  return number;
}

// --timeout, --retries and --snmp-port as the SNMP library's variables for
// the command; false after a message for a value out of range.
bool TakeSnmpOptions(const CommandLine& line, Console& console,
                     std::vector<std::unique_ptr<ScopedVariable>>& settings) {
  if (const std::optional<std::string> timeout = line.Value("timeout")) {
    char* end = nullptr;
    const double seconds = std::strtod(timeout->c_str(), &end);
    if (end == timeout->c_str() || *end != '\0' || !(seconds >= 0.001 && seconds <= 60)) {
      console.Message("--timeout is a number of seconds from 0.001 to 60, not " + *timeout);
      return false;
    }
    settings.push_back(std::make_unique<ScopedVariable>("GLY_SNMP_TIMEOUT_MS",
                                                        std::to_string(std::lround(seconds * 1000))));
  }
  if (const std::optional<std::string> retries = line.Value("retries")) {
    if (!NumberIn(*retries, 0, 10)) {
      console.Message("--retries is a number from 0 to 10, not " + *retries);
      return false;
    }
    settings.push_back(std::make_unique<ScopedVariable>("GLY_SNMP_RETRIES", *retries));
  }
  if (const std::optional<std::string> port = line.Value("snmp-port")) {
    if (!NumberIn(*port, 1, 65535)) {
      console.Message("--snmp-port is a port from 1 to 65535, not " + *port);
      return false;
    }
    settings.push_back(std::make_unique<ScopedVariable>("GLY_SNMP_PORT", *port));
  }
  return true;
}

// Devices not yet listed (discovery, adding by address) are asked with
// the command's SNMP settings; the library goes back to its own when the
// command ends.
class DiscoverySecuritySetting {
 public:
  DiscoverySecuritySetting() = default;
  ~DiscoverySecuritySetting() {
    if (set_) SnmpSetDiscoverySecurity(nullptr);
  }
  DiscoverySecuritySetting(const DiscoverySecuritySetting&) = delete;
  DiscoverySecuritySetting& operator=(const DiscoverySecuritySetting&) = delete;

  int32_t Set(const SnmpSecurity& security) {
    const int32_t result = SnmpSetDiscoverySecurity(&security);
    set_ = result == kSnmpOk;
    return result;
  }

 private:
  bool set_ = false;
};

struct HeaderSetting {
  explicit HeaderSetting(bool shown) { SetOutputHeaderShown(shown); }
  ~HeaderSetting() { SetOutputHeaderShown(true); }
};

struct ResourceLibraryRelease {
  ~ResourceLibraryRelease() { FreeResourceModule(); }
};

int RunCommand(const CommandInfo& command, const std::vector<std::string>& words, GlyctlEnvironment& environment,
               Console& console) {
  std::vector<OptionRule> rules = command.options;
  AddSharedRules(rules, command.usesSnmp);
  std::string error;
  const std::optional<CommandLine> line = ParseCommandLine(words, rules, error);
  if (!line) {
    if (error.rfind("unknown option --write-community", 0) == 0)
      error += " (the write community is read from --community-file only)";
    console.Message(error + "; see glyctl " + command.name + " --help");
    return kExitUsage;
  }
  if (line->Has("help")) {
    WriteCommandHelp(environment.out, command);
    return kExitOk;
  }
  if (line->Has("version")) {
    environment.out << kVersion << '\n';
    return kExitOk;
  }
  const HeaderSetting header(!line->Has("no-header"));
  std::vector<std::unique_ptr<ScopedVariable>> settings;
  // The libraries read the trace settings from the environment at each line.
  if (line->Has("trace")) settings.push_back(std::make_unique<ScopedVariable>("GLY_TRACE", "all"));
  if (const std::optional<std::string> file = line->Value("trace-file")) {
    settings.push_back(std::make_unique<ScopedVariable>("GLY_TRACE_FILE", *file));
    if (!line->Has("trace") && !std::getenv("GLY_TRACE"))
      settings.push_back(std::make_unique<ScopedVariable>("GLY_TRACE", "all"));
  }
  if (!TakeSnmpOptions(*line, console, settings)) return kExitUsage;

  NewCommunityStrings fromFile;
  SecurityOptions security;
  if (const std::optional<std::string> file = line->Value("community-file")) {
    std::optional<NewCommunityStrings> read = ReadCommunityFile(*file, error, security);
    if (!read) {
      console.Message(error);
      return kExitCommunityFile;
    }
    fromFile = *read;
  }
  std::optional<NewCommunityStrings> communities = CombineCommunities(fromFile, line->Value("community"), error);
  if (!communities) {
    console.Message(error);
    return kExitUsage;
  }
  if (const std::optional<std::string> version = line->Value("snmp-version")) security.Take("snmp-version", *version);
  security.TakeEnvironment([](const char* name) -> const char* { return std::getenv(name); });
  communities->security = security.Choice(error);
  if (!error.empty()) {
    console.Message(error);
    return kExitCommunityFile;
  }
  DiscoverySecuritySetting discoverySecurity;
  if (communities->security) {
    if (const int32_t result = discoverySecurity.Set(communities->security->value); result != kSnmpOk) {
      console.Message(std::string("SNMP settings refused: ") + SnmpResultText(result));
      return kExitCommunityFile;
    }
  }

  if (environment.prepareInterrupts) environment.prepareInterrupts(command.makesFiles);
  const ResourceLibraryRelease release;
  if (!LoadResourceModule(environment.resourceLibraryPath.c_str())) {
    console.Message("cannot load the resource library " + environment.resourceLibraryPath);
    return kExitSetup;
  }
  StartAppDirectories();
  // The read community for printers not yet listed is the SNMP library's
  // setting.
  if (!communities->read.empty())
    settings.push_back(std::make_unique<ScopedVariable>("GLY_SNMP_COMMUNITY", communities->read));
  CommandRun run{*line, environment, console, *communities, std::nullopt};
  return command.run(run);
}

int RunWords(const std::vector<std::string>& args, GlyctlEnvironment& environment, Console& console) {
  if (args.empty()) {
    WriteOverview(environment.err);
    return kExitUsage;
  }
  const std::string& first = args[0];
  if (first == "--help" || first == "-h" || (first == "help" && args.size() == 1)) {
    WriteOverview(environment.out);
    return kExitOk;
  }
  if (first == "--version" || first == "-V") {
    environment.out << kVersion << '\n';
    return kExitOk;
  }
  if (first == "help" && args[1] == "options") {
    WriteSharedHelp(environment.out);
    return kExitOk;
  }
  if (first == "help") {
    const CommandInfo* command = FindCommand(args[1]);
    if (!command) {
      console.Message("no command " + args[1] + "; see glyctl --help");
      return kExitUsage;
    }
    WriteCommandHelp(environment.out, *command);
    return kExitOk;
  }
  const CommandInfo* command = FindCommand(first);
  if (!command) {
    console.Message("no command " + first + "; see glyctl --help");
    return kExitUsage;
  }
  return RunCommand(*command, std::vector<std::string>(args.begin() + 1, args.end()), environment, console);
}

}  // namespace

int RunGlyctl(const std::vector<std::string>& args, GlyctlEnvironment& environment) {
  int status = kExitOk;
  {
    Console console(environment.out, environment.err, environment.errIsTerminal);
    status = RunWords(args, environment, console);
    // A result that did not reach standard output is no result, whatever
    // the command made of it: a script must not take a cut listing as whole.
    if (!environment.out.flush()) {
      console.Message("cannot write standard output");
      status = kExitCannotWrite;
    }
  }
  if (!environment.err.flush()) status = kExitCannotWrite;
  return status;
}
