#include "glyctl/glyctl.h"

#include <cstdlib>
#include <optional>

#include "glyctl/commands.h"
#include "glyctl/community_options.h"
#include "glyctl/exit_codes.h"
#include "shell/gly_app.h"
#include "ui/resource_module.h"

namespace {

constexpr char kVersion[] = "glyctl 0.1.0";

constexpr char kCommunityHelp[] =
    "SNMP communities:\n"
    "  --community STRING     the read community (default: the program's)\n"
    "  --community-file FILE  lines read=STRING, write=STRING, trap=STRING and\n"
    "                         pjl-password=NUMBER (for the file system of\n"
    "                         printers read over PJL); the\n"
    "                         file must belong to you and be readable by you\n"
    "                         only (chmod 600). The write community is taken\n"
    "                         from this file alone, never from the command line.\n"
    "SNMP version and SNMPv3, from the community file or the environment\n"
    "(GLY_SNMP_VERSION, GLY_V3_USER, ...; the file wins), never the command line:\n"
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

const CommandInfo* FindCommand(const std::string& name) {
  for (const CommandInfo& command : GlyctlCommands())
    if (name == command.name) return &command;
  return nullptr;
}

void WriteOverview(std::ostream& out) {
  out << "Usage: glyctl COMMAND [OPTIONS] ARGUMENTS\n"
         "       glyctl COMMAND --help\n\n"
         "Printer font management from the command line.\n\nCommands:\n";
  for (const CommandInfo& command : GlyctlCommands()) {
    std::string name = command.name;
    name.resize(17, ' ');
    out << "  " << name << command.summary << '\n';
  }
  out << '\n' << kCommunityHelp << '\n' << kExitHelp;
}

void WriteCommandHelp(std::ostream& out, const CommandInfo& command) {
  out << "Usage: glyctl " << command.name << ' ' << command.usage << "\n\n"
      << command.details;
  if (command.usesSnmp) out << '\n' << kCommunityHelp;
  out << "\nProgress is shown on standard error when it is a terminal.\n\n" << kExitHelp;
}

// The read community for printers not yet listed is the SNMP library's
// setting; it is put back when the command ends.
class ReadCommunitySetting {
 public:
  explicit ReadCommunitySetting(const std::string& community) {
    if (community.empty()) return;
    if (const char* old = std::getenv(kName)) previous_ = old;
    setenv(kName, community.c_str(), 1);
    set_ = true;
  }
  ~ReadCommunitySetting() {
    if (!set_) return;
    if (previous_)
      setenv(kName, previous_->c_str(), 1);
    else
      unsetenv(kName);
  }
  ReadCommunitySetting(const ReadCommunitySetting&) = delete;
  ReadCommunitySetting& operator=(const ReadCommunitySetting&) = delete;

 private:
  static constexpr char kName[] = "GLY_SNMP_COMMUNITY";
  bool set_ = false;
  std::optional<std::string> previous_;
};

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

struct ResourceLibraryRelease {
  ~ResourceLibraryRelease() { FreeResourceModule(); }
};

int RunCommand(const CommandInfo& command, const std::vector<std::string>& words, GlyctlEnvironment& environment,
               Console& console) {
  std::vector<OptionRule> rules = command.options;
  rules.push_back({"help", OptionRule::kFlag});
  if (command.usesSnmp) {
    rules.push_back({"community", OptionRule::kValue});
    rules.push_back({"community-file", OptionRule::kValue});
  }
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

  const ResourceLibraryRelease release;
  if (!LoadResourceModule(environment.resourceLibraryPath.c_str())) {
    console.Message("cannot load the resource library " + environment.resourceLibraryPath);
    return kExitSetup;
  }
  StartAppDirectories();
  const ReadCommunitySetting readCommunity(communities->read);
  CommandRun run{*line, environment, console, *communities};
  return command.run(run);
}

}  // namespace

int RunGlyctl(const std::vector<std::string>& args, GlyctlEnvironment& environment) {
  Console console(environment.out, environment.err, environment.errIsTerminal);
  if (args.empty()) {
    WriteOverview(environment.err);
    return kExitUsage;
  }
  const std::string& first = args[0];
  if (first == "--help" || first == "-h" || (first == "help" && args.size() == 1)) {
    WriteOverview(environment.out);
    return kExitOk;
  }
  if (first == "--version") {
    environment.out << kVersion << '\n';
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
