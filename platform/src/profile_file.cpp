#include "profile_file.h"

#include <fstream>
#include <string_view>

namespace platform {
namespace {

constexpr std::string_view kBlanks = " \t\r\n\v\f";

std::string_view trim(std::string_view text) {
  size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

// Windows drops one pair of matching quotes around a value.
std::string_view unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

std::optional<std::vector<ProfileSection>> ReadProfileFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::vector<ProfileSection> sections;
  std::string raw;
  bool first_line = true;
  while (std::getline(file, raw)) {
    std::string_view line(raw);
    if (first_line && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    first_line = false;
    line = trim(line);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      size_t close = line.rfind(']');
      std::string_view name =
          line.substr(1, close == std::string_view::npos ? close : close - 1);
      sections.push_back({std::string(trim(name)), {}});
      continue;
    }
    if (sections.empty()) continue;  // lines before the first section belong nowhere
    size_t equals = line.find('=');
    std::string_view key = trim(line.substr(0, equals));
    std::string_view value =
        equals == std::string_view::npos ? std::string_view() : trim(line.substr(equals + 1));
    sections.back().entries.push_back({std::string(key), std::string(unquote(value))});
  }
  return sections;
}

}  // namespace platform
