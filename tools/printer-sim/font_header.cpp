#include "font_header.h"

#include <charconv>

namespace printer_sim {
namespace {

constexpr size_t kDescriptorNameOffset = 48;
constexpr size_t kDescriptorNameSize = 16;
constexpr size_t kMostNameBytes = 255;

// The number and the final byte of a PCL parameterized command whose
// prefix (after ESC) starts at `at`: "ESC )s64W" gives 64 and 'W'.
bool ReadParameter(std::string_view file, size_t at, int64_t& value, char& final, size_t& end) {
  size_t pos = at;
  bool negative = pos < file.size() && (file[pos] == '-' || file[pos] == '+');
  if (negative) negative = file[pos++] == '-';
  uint32_t number = 0;
  auto [next, error] = std::from_chars(file.data() + pos, file.data() + file.size(), number);
  if (error != std::errc() || next == file.data() + file.size()) return false;
  value = negative ? -int64_t{number} : int64_t{number};
  final = *next;
  end = static_cast<size_t>(next - file.data()) + 1;
  return true;
}

bool IsNameChar(char c) {
  return static_cast<unsigned char>(c) > 0x20 && static_cast<unsigned char>(c) < 0x7F &&
         std::string_view("/[](){}<>%").find(c) == std::string_view::npos;
}

}  // namespace

std::optional<PclFontHeader> ReadPclFontHeader(std::string_view file) {
  PclFontHeader header;
  size_t pos = 0;
  while (pos + 3 <= file.size()) {
    size_t escape = file.find('\x1b', pos);
    if (escape == std::string_view::npos || escape + 3 > file.size()) return std::nullopt;
    std::string_view command = file.substr(escape + 1, 2);
    int64_t value = 0;
    char final = 0;
    size_t end = 0;
    if (!ReadParameter(file, escape + 3, value, final, end)) return std::nullopt;
    if (command == "*c" && final == 'D' && value >= 0 && value <= 32767) {
      header.fontId = static_cast<int32_t>(value);
      pos = end;
    } else if (command == ")s" && final == 'W') {
      if (value < static_cast<int64_t>(kDescriptorNameOffset + kDescriptorNameSize) ||
          static_cast<uint64_t>(value) > file.size() - end) {
        return std::nullopt;
      }
      std::string_view name = file.substr(end + kDescriptorNameOffset, kDescriptorNameSize);
      while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.remove_suffix(1);
      for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
      }
      header.name.assign(name);
      return header;
    } else {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<std::string> ReadPostScriptFontName(std::string_view file) {
  constexpr std::string_view key = "/FontName";
  size_t at = file.find(key);
  if (at == std::string_view::npos) return std::nullopt;
  size_t pos = at + key.size();
  while (pos < file.size() && (file[pos] == ' ' || file[pos] == '\t')) ++pos;
  if (pos >= file.size() || file[pos] != '/') return std::nullopt;
  size_t start = ++pos;
  while (pos < file.size() && IsNameChar(file[pos]) && pos - start < kMostNameBytes) ++pos;
  if (pos == start) return std::nullopt;
  return std::string(file.substr(start, pos - start));
}

}  // namespace printer_sim
