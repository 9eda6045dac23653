// Reading a profile (.ini) file into its sections and entries, the way
// Windows understands the format. Internal to the platform library.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

struct ProfileEntry {
  std::string key;
  std::string value;
};

struct ProfileSection {
  std::string name;
  std::vector<ProfileEntry> entries;  // file order; comments left out
};

// The file's sections in file order, or nothing when it cannot be read.
std::optional<std::vector<ProfileSection>> ReadProfileFile(const std::string& path);

}  // namespace platform
