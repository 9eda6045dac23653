// GetPrivateProfileStringA and friends over CachedProfileFile: a file is
// parsed once and read again only when it changes, so a changed file is
// seen at the next call. Every function may be called from any thread.
#include "platform/profile.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <mutex>
#include <string_view>
#include <vector>

#include "config_folder.h"
#include "platform/error.h"
#include "profile_cache.h"

namespace {

std::mutex program_directory_lock;
std::string program_directory;  // what the program asked for; empty when it asked nothing

std::string windows_directory() {
  const char* configured = std::getenv(PLATFORM_WINDOWS_DIR_ENV);
  std::string directory;
  if (configured != nullptr && configured[0] != '\0') {
    directory = configured;
  } else {
    std::lock_guard hold(program_directory_lock);
    directory = program_directory.empty() ? platform::UserConfigFolder() : program_directory;
  }
  while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
  return directory;
}

// A name without a directory part lives in the Windows directory. Windows
// file names do not care about case, so when the name is not there as
// written, a file whose name differs only in case will do.
std::string profile_path(const char* fileName) {
  std::filesystem::path path =
      std::strchr(fileName, '/') != nullptr ? fileName : windows_directory() + "/" + fileName;
  std::error_code error;
  if (std::filesystem::exists(path, error)) return path;
  std::string wanted = path.filename();
  std::filesystem::directory_iterator entry(path.parent_path(), error), end;
  for (; !error && entry != end; entry.increment(error)) {
    if (strcasecmp(entry->path().filename().c_str(), wanted.c_str()) == 0) return entry->path();
  }
  return path;
}

std::shared_ptr<const std::vector<platform::ProfileSection>> read_profile(const char* fileName) {
  if (fileName == nullptr || fileName[0] == '\0') return nullptr;
  return platform::CachedProfileFile(profile_path(fileName));
}

bool same_name(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

const platform::ProfileSection* find_section(const std::vector<platform::ProfileSection>& sections,
                                             const char* name) {
  for (const auto& section : sections) {
    if (same_name(section.name, name)) return &section;
  }
  return nullptr;
}

const platform::ProfileEntry* find_entry(const platform::ProfileSection& section,
                                         const char* key) {
  for (const auto& entry : section.entries) {
    if (same_name(entry.key, key)) return &entry;
  }
  return nullptr;
}

DWORD copy_string(std::string_view text, char* buffer, DWORD size) {
  size_t copied = std::min<size_t>(text.size(), size - 1);
  if (copied > 0) std::memcpy(buffer, text.data(), copied);  // an empty view may have no data
  buffer[copied] = '\0';
  return static_cast<DWORD>(copied);
}

// Names one after the other, each ended by a NUL, the list by a second NUL.
// When the list does not fit, its last name is cut so that the two NULs
// still fit, and the result is size - 2, as Windows does.
DWORD copy_list(const std::vector<std::string_view>& names, char* buffer, DWORD size) {
  std::string list;
  for (std::string_view name : names) {
    list.append(name);
    list.push_back('\0');
  }
  if (list.size() + 1 <= size) {
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    return static_cast<DWORD>(list.size());
  }
  if (size < 2) {
    buffer[0] = '\0';
    return 0;
  }
  std::memcpy(buffer, list.data(), size - 2);
  buffer[size - 2] = '\0';
  buffer[size - 1] = '\0';
  return size - 2;
}

// Windows strips trailing blanks from the default before using it.
std::string_view default_text(const char* defaultValue) {
  std::string_view text = defaultValue != nullptr ? defaultValue : "";
  size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

}  // namespace

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* buffer, DWORD size, const char* fileName) {
  if (buffer == nullptr || size == 0) return 0;
  auto sections = read_profile(fileName);
  std::vector<std::string_view> names;
  if (sections && section == nullptr) {
    for (const auto& s : *sections) names.emplace_back(s.name);
    return copy_list(names, buffer, size);
  }
  const platform::ProfileSection* found = sections ? find_section(*sections, section) : nullptr;
  if (found != nullptr && key == nullptr) {
    for (const auto& entry : found->entries) names.emplace_back(entry.key);
    return copy_list(names, buffer, size);
  }
  const platform::ProfileEntry* entry = found != nullptr ? find_entry(*found, key) : nullptr;
  if (entry == nullptr) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return copy_string(default_text(defaultValue), buffer, size);
  }
  return copy_string(entry->value, buffer, size);
}

UINT GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                           const char* fileName) {
  auto sections = read_profile(fileName);
  const platform::ProfileSection* found =
      sections && section != nullptr ? find_section(*sections, section) : nullptr;
  const platform::ProfileEntry* entry =
      found != nullptr && key != nullptr ? find_entry(*found, key) : nullptr;
  if (entry == nullptr) return static_cast<UINT>(defaultValue);
  // Decimal with an optional sign; reading stops at the first non-digit.
  const char* p = entry->value.c_str();
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  UINT value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) value = value * 10 + static_cast<UINT>(*p - '0');
  return negative ? 0u - value : value;
}

void PlatformSetWindowsDirectory(const char* directory) {
  std::lock_guard hold(program_directory_lock);
  program_directory = directory != nullptr ? directory : "";
}

UINT GetWindowsDirectoryA(char* buffer, UINT size) {
  std::string directory = windows_directory();
  if (buffer == nullptr || directory.size() >= size) {
    return static_cast<UINT>(directory.size() + 1);  // the room it needs
  }
  std::memcpy(buffer, directory.c_str(), directory.size() + 1);
  return static_cast<UINT>(directory.size());
}
