#include "text/shown_text.h"

#include <cstdint>

namespace {

bool IsControl(uint32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }
bool IsBidiControl(uint32_t c) { return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069); }

// The code point of the UTF-8 sequence at the start of `text` and its
// length; length 0 when the sequence is invalid (truncated, overlong, a
// surrogate or beyond U+10FFFF).
uint32_t DecodeUtf8(std::string_view text, size_t& length) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t first = byte(0);
  length = 0;
  if (first < 0x80) {
    length = 1;
    return first;
  }
  size_t count = 0;
  uint32_t c = 0, least = 0;
  if ((first & 0xE0) == 0xC0) count = 2, c = first & 0x1F, least = 0x80;
  else if ((first & 0xF0) == 0xE0) count = 3, c = first & 0x0F, least = 0x800;
  else if ((first & 0xF8) == 0xF0) count = 4, c = first & 0x07, least = 0x10000;
  else return 0;
  if (text.size() < count) return 0;
  for (size_t i = 1; i < count; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (byte(i) & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  length = count;
  return c;
}

// Calls `emit(c, bytes)` for each character of `text` that may be shown,
// and `emit('?', "?")` for each one replaced.
template <typename Emit>
void EachShownCharacter(std::string_view text, Emit emit) {
  while (!text.empty()) {
    size_t length = 0;
    const uint32_t c = DecodeUtf8(text, length);
    if (length == 0) {
      emit(kUnshownMark, std::string_view(&kUnshownMark, 1));
      text.remove_prefix(1);
      continue;
    }
    if (IsControl(c) || IsBidiControl(c)) emit(kUnshownMark, std::string_view(&kUnshownMark, 1));
    else emit(c, text.substr(0, length));
    text.remove_prefix(length);
  }
}

}  // namespace

std::string ShownSingleByte(std::string_view text) {
  std::string shown(text);
  for (char& c : shown)
    if (IsControl(static_cast<uint8_t>(c))) c = kUnshownMark;
  return shown;
}

std::string ShownUtf8(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  EachShownCharacter(text, [&](uint32_t, std::string_view bytes) { shown += bytes; });
  return shown;
}

std::string ShownUtf8AsSingleByte(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  EachShownCharacter(text, [&](uint32_t c, std::string_view) {
    shown += c <= 0xFF ? static_cast<char>(c) : kUnshownMark;
  });
  return shown;
}
