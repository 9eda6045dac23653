// Small readers shared by everything that takes text from a printer's
// AppSocket channel: blanks, case, numbers at the start of a text, and
// whether a name holds only characters fit to keep.
#pragma once

#include <charconv>
#include <optional>
#include <string_view>

namespace glysnmp {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The number `text` starts with; nullopt when it starts with none.
template <typename Number>
std::optional<Number> NumberAt(std::string_view text) {
  Number value{};
  auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || next == text.data()) return std::nullopt;
  return value;
}

// A name without control characters, and not empty.
inline bool Printable(std::string_view name) {
  if (name.empty()) return false;
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

}  // namespace glysnmp
