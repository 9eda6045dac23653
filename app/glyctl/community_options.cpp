#include "glyctl/community_options.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string.h>

#include <cstdio>
#include <string_view>

namespace {

// A record's community field holds 63 characters and its NUL.
constexpr size_t kMaxCommunityLength = 63;
// Three such lines and comments fit many times over; a larger file is not
// a community file, and is not read whole.
constexpr off_t kMostCommunityFileBytes = 64 * 1024;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

// A NUL would end the string early in the printer record: refused, as an
// overlong string is.
bool CheckLength(const std::string& value, const std::string& what, std::string& error) {
  if (value.find('\0') != std::string::npos) {
    error = what + " holds a NUL byte";
    return false;
  }
  if (value.size() <= kMaxCommunityLength) return true;
  error = what + " is longer than " + std::to_string(kMaxCommunityLength) + " characters";
  return false;
}

// Reads the whole file through a descriptor whose owner and mode were
// checked, so the checked file is the one read.
std::optional<std::string> ReadPrivateFile(const std::string& path, std::string& error) {
  // Non-blocking, so that a FIFO put in its place cannot hold the open.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    error = "cannot open community file " + path;
    return std::nullopt;
  }
  struct stat info {};
  std::string text;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = "community file " + path + " is not a regular file";
  } else if (info.st_uid != geteuid()) {
    error = "community file " + path + " belongs to another user";
  } else if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    error = "community file " + path + " can be used by others (mode " + mode +
            "); make it readable by its owner only (chmod 600)";
  } else if (info.st_size > kMostCommunityFileBytes) {
    error = "community file " + path + " is larger than 64 KiB";
  } else {
    // At most one byte more than the limit: a file that grew since fstat
    // is refused too.
    char buffer[4096];
    ssize_t got = 0;
    while (static_cast<off_t>(text.size()) <= kMostCommunityFileBytes && (got = read(fd, buffer, sizeof buffer)) > 0)
      text.append(buffer, static_cast<size_t>(got));
    explicit_bzero(buffer, sizeof buffer);
    if (got < 0) error = "cannot read community file " + path;
    else if (static_cast<off_t>(text.size()) > kMostCommunityFileBytes)
      error = "community file " + path + " is larger than 64 KiB";
  }
  close(fd);
  if (!error.empty()) return std::nullopt;
  return text;
}

}  // namespace

std::optional<NewCommunityStrings> ReadCommunityFile(const std::string& path, std::string& error,
                                                     SecurityOptions& security) {
  std::optional<std::string> text = ReadPrivateFile(path, error);
  if (!text) return std::nullopt;
  std::optional<NewCommunityStrings> strings = ParseCommunityText(*text, path, error, security);
  // The file may hold passphrases.
  explicit_bzero(text->data(), text->size());
  return strings;
}

std::optional<NewCommunityStrings> ParseCommunityText(std::string_view text, const std::string& path,
                                                      std::string& error, SecurityOptions& security) {
  NewCommunityStrings strings;
  std::string_view rest = text;
  for (int lineNumber = 1; !rest.empty(); ++lineNumber) {
    const size_t end = rest.find('\n');
    const std::string_view line = Trim(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    const size_t equals = line.find('=');
    const std::string_view key = equals == std::string_view::npos ? line : Trim(line.substr(0, equals));
    if (key == "pjl-password" && equals != std::string_view::npos) {
      const std::string_view number = Trim(line.substr(equals + 1));
      if (!ParsePjlPassword(number, strings.pjlPassword)) {
        error = "community file " + path + ", line " + std::to_string(lineNumber) +
                ": the PJL password is a number (0 to 4294967295)";
        return std::nullopt;
      }
      continue;
    }
    if (equals != std::string_view::npos && security.Take(key, Trim(line.substr(equals + 1)))) continue;
    std::string* target = key == "read" ? &strings.read : key == "write" ? &strings.write : key == "trap" ? &strings.trap : nullptr;
    if (equals == std::string_view::npos || target == nullptr) {
      error = "community file " + path + ", line " + std::to_string(lineNumber) +
              ": expected read=, write=, trap=, pjl-password=, snmp-version= or v3-...=";
      return std::nullopt;
    }
    *target = std::string(Trim(line.substr(equals + 1)));
    if (!CheckLength(*target, "the " + std::string(key) + " community in " + path, error)) return std::nullopt;
  }
  return strings;
}

std::optional<NewCommunityStrings> CombineCommunities(const NewCommunityStrings& file,
                                                      const std::optional<std::string>& readOption,
                                                      std::string& error) {
  NewCommunityStrings strings = file;
  if (readOption) {
    if (!CheckLength(*readOption, "the read community", error)) return std::nullopt;
    strings.read = *readOption;
  }
  return strings;
}
