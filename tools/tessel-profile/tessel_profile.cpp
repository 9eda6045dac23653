// tessel-profile: reads, writes and lists entries of tessel's profile store
// through the library's own QRTL calls, so it sees exactly what a program
// built on tessel sees.
#include <tessel/qrtl.h>
#include <tessel/version.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum Exit : int {
  kExitOk = 0,
  kExitMissing = 1,  // no such entry (get) or section (list)
  kExitUsage = 2,
  kExitStore = 3,  // the store refused: bad scope, unreadable or unwritable hive
};

// The library keeps its own settings in scope 2.
constexpr int32_t kDefaultScope = 2;
// Texts longer than this are not read back.
constexpr int32_t kLargestText = 1 << 20;

const char kUsage[] =
    "Usage: tessel-profile [--scope N] get SECTION KEY\n"
    "       tessel-profile [--scope N] set [--number] SECTION KEY VALUE\n"
    "       tessel-profile [--scope N] list SECTION\n"
    "\n"
    "Reads, writes and lists entries of the tessel profile store.\n"
    "\n"
    "  get     print the entry's text, or its number in decimal\n"
    "  set     store VALUE as text, or with --number as a 32-bit number\n"
    "          (decimal, or hexadecimal after 0x)\n"
    "  list    print the section's text entries as KEY=TEXT, one a line\n"
    "\n"
    "  --scope N  the store's scope (default 2, where tessel keeps its\n"
    "             transport settings and host tables)\n"
    "  --help     show this help\n"
    "  --version  show the version of the program and of the library\n"
    "\n"
    "The machine hive is the file named by PLATFORM_REGISTRY_HKLM, else\n"
    "$XDG_CONFIG_HOME/gly/registry/hklm.sqlite; the user hive the one named by\n"
    "PLATFORM_REGISTRY_HKCU, else .../hkcu.sqlite beside it.\n"
    "\n"
    "Exit status: 0 done, 1 no such entry or section, 2 usage error,\n"
    "3 the profile store refused.\n";

int UsageError(const char* why) {
  std::fprintf(stderr, "tessel-profile: %s\nTry 'tessel-profile --help'.\n", why);
  return kExitUsage;
}

int StoreError(const char* what, const char* section, const char* key, int32_t status) {
  std::fprintf(stderr, "tessel-profile: cannot %s %s%s%s: %s (%s)\n", what, section,
               key ? "/" : "", key ? key : "", QRTLErrToString(status, QRTL_TEXT_MESSAGE),
               QRTLErrToString(status, QRTL_TEXT_NAME));
  return kExitStore;
}

// The entry's text into `text`, growing the buffer until it fits; a missing
// entry yields the default.
int32_t ReadText(const char* section, const char* key, const char* defaultText, int32_t scope,
                 std::string& text) {
  std::vector<char> buffer(256);
  for (;;) {
    const int32_t status = QRTLGetProfileEntry(section, key, defaultText, buffer.data(),
                                               int32_t(buffer.size()), scope);
    if (status != QRTLERR_TOO_BIG || buffer.size() >= size_t(kLargestText)) {
      if (status == QRTL_SUCCESS) text = buffer.data();
      return status;
    }
    buffer.resize(buffer.size() * 2);
  }
}

int Get(const char* section, const char* key, int32_t scope) {
  std::string text;
  int32_t status = ReadText(section, key, "", scope, text);
  if (status == QRTLERR_BAD_TYPE) {
    // Not text: a number reads the same whatever the default.
    const int32_t number = QRTLGetProfileInt(section, key, 0, scope);
    if (number != QRTLGetProfileInt(section, key, 1, scope)) {
      std::fprintf(stderr, "tessel-profile: %s/%s is neither text nor a number\n", section, key);
      return kExitStore;
    }
    std::printf("%" PRId32 "\n", number);
    return kExitOk;
  }
  if (status != QRTL_SUCCESS) return StoreError("read", section, key, status);
  // An empty text is told from a missing entry by a second, non-empty default.
  if (text.empty() && ReadText(section, key, "-", scope, text) == QRTL_SUCCESS && text == "-") {
    std::fprintf(stderr, "tessel-profile: no entry %s/%s\n", section, key);
    return kExitMissing;
  }
  std::printf("%s\n", text.c_str());
  return kExitOk;
}

bool ParseNumber(const char* text, int32_t* number) {
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 0);
  if (errno != 0 || end == text || *end != '\0' || value < INT32_MIN || value > UINT32_MAX) {
    return false;
  }
  *number = int32_t(uint32_t(value));
  return true;
}

int Set(const char* section, const char* key, const char* value, bool asNumber, int32_t scope) {
  int32_t status;
  if (asNumber) {
    int32_t number = 0;
    if (!ParseNumber(value, &number)) return UsageError("--number needs a 32-bit number");
    status = QRTLWriteProfileInt(section, key, number, scope);
  } else {
    status = QRTLWriteProfileEntry(section, key, value, scope);
  }
  return status == QRTL_SUCCESS ? kExitOk : StoreError("write", section, key, status);
}

int32_t PrintEntry(void* listed, const char* entry, const char* text) {
  std::printf("%s=%s\n", entry, text);
  ++*static_cast<int32_t*>(listed);
  return 0;
}

int List(const char* section, int32_t scope) {
  int32_t listed = 0;
  const int32_t status = QRTLEnumProfileSection(section, PrintEntry, &listed, 1, scope);
  // A missing section and a store that cannot be opened look the same here;
  // reading an entry tells them apart, as it yields the default for the first.
  char probe[1];
  if (status == QRTLERR_UNAVAILABLE &&
      QRTLGetProfileEntry(section, "-", "", probe, sizeof probe, scope) == QRTL_SUCCESS) {
    std::fprintf(stderr, "tessel-profile: no section %s\n", section);
    return kExitMissing;
  }
  if (status != QRTL_SUCCESS) return StoreError("list", section, nullptr, status);
  // The store enumerates text entries alone.
  const int32_t others = QRTLCountEntriesInSection(section, scope) - listed;
  if (others > 0) {
    std::fprintf(stderr, "tessel-profile: %" PRId32 " number entries of %s not listed; "
                 "read them with get\n", others, section);
  }
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  int32_t scope = kDefaultScope;
  bool asNumber = false;
  std::vector<const char*> words;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::fputs(kUsage, stdout);
      return kExitOk;
    } else if (argument == "--version" || argument == "-V") {
      const char* running = nullptr;
      QRTLGetVersion(&running);
      std::printf("tessel-profile %s (libtessel %s)\n", TESSEL_VERSION_STRING, running);
      return kExitOk;
    } else if (argument == "--number") {
      asNumber = true;
    } else if (argument == "--scope") {
      if (++i == argc || !ParseNumber(argv[i], &scope)) return UsageError("--scope needs a number");
    } else if (argument.size() > 1 && argument[0] == '-' && words.empty()) {
      return UsageError(("unknown option " + argument).c_str());
    } else {
      words.push_back(argv[i]);
    }
  }
  if (words.empty()) return UsageError("no command");
  const std::string command = words[0];
  const size_t count = words.size() - 1;
  if (asNumber && command != "set") return UsageError("--number belongs to set");
  for (size_t i = 1; i < words.size() && i <= 2; ++i) {
    if (!*words[i]) return UsageError("SECTION and KEY must not be empty");
  }
  if (command == "get" && count == 2) return Get(words[1], words[2], scope);
  if (command == "set" && count == 3) return Set(words[1], words[2], words[3], asNumber, scope);
  if (command == "list" && count == 1) return List(words[1], scope);
  if (command == "get" || command == "set" || command == "list") {
    return UsageError(("wrong number of arguments for " + command).c_str());
  }
  return UsageError(("unknown command " + command).c_str());
}
