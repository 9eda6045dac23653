#include "pjl_syntax.h"

#include <cctype>
#include <charconv>

namespace printer_sim {

std::string PjlUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::optional<std::string> PjlOption(std::string_view options, std::string_view key) {
  std::string upper = PjlUpper(options);
  for (size_t at = upper.find(key); at != std::string::npos; at = upper.find(key, at + 1)) {
    bool startsWord = at == 0 || IsPjlBlank(upper[at - 1]);
    size_t pos = at + key.size();
    while (pos < options.size() && IsPjlBlank(options[pos])) ++pos;
    if (!startsWord || pos >= options.size() || options[pos] != '=') continue;
    ++pos;
    while (pos < options.size() && IsPjlBlank(options[pos])) ++pos;
    if (pos < options.size() && options[pos] == '"') {
      size_t close = options.find('"', pos + 1);
      if (close == std::string_view::npos) return std::nullopt;
      return std::string(options.substr(pos + 1, close - pos - 1));
    }
    size_t end = pos;
    while (end < options.size() && !IsPjlBlank(options[end])) ++end;
    return std::string(options.substr(pos, end - pos));
  }
  return std::nullopt;
}

std::optional<uint64_t> PjlNumber(const std::optional<std::string>& text) {
  uint64_t value = 0;
  if (!text || text->empty()) return std::nullopt;
  auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (error != std::errc() || end != text->data() + text->size()) return std::nullopt;
  return value;
}

}  // namespace printer_sim
