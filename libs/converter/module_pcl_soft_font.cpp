// PCL soft font: PCL escape sequences, of which "ESC ) s <n> W" carries the
// font descriptor in its n data bytes. The descriptor's header format is the
// subtype (0 bitmap, 10/11 Intellifont, 15 TrueType, 16 universal, 20
// resolution-specified bitmap) and its 16-byte font name field the name.
#include <cctype>
#include <optional>

#include "font_module.h"

namespace converter {

namespace {

constexpr std::uint8_t kEscape = 0x1B;
constexpr std::size_t kDescriptorMinBytes = 64;
constexpr std::size_t kHeaderFormatOffset = 2;
constexpr std::size_t kFontNameOffset = 48;
constexpr std::size_t kFontNameBytes = 16;
// Downloaded fonts may be preceded by a few commands (font ID, reset); a file
// that has not reached its descriptor after this many is something else.
constexpr int kMaxLeadingCommands = 16;

struct EscapeSequence {
  char parameter = 0;  // ')' in "ESC ) s 64 W"
  char group = 0;      // 's'
  char terminator = 0; // 'W'
  long value = 0;      // 64
  std::size_t end = 0; // offset just after the terminator
};

// Parses one parameterized sequence (combined forms such as "ESC & l 1 o 2 A"
// are read up to their final upper-case terminator, keeping the last value).
std::optional<EscapeSequence> ReadEscape(ByteView bytes, std::size_t pos) {
  if (pos + 2 >= bytes.size() || bytes[pos] != kEscape) return std::nullopt;
  EscapeSequence sequence;
  sequence.parameter = static_cast<char>(bytes[pos + 1]);
  if (sequence.parameter >= 0x30 && sequence.parameter <= 0x7E) {  // two-character, as ESC E
    sequence.end = pos + 2;
    return sequence;
  }
  sequence.group = static_cast<char>(bytes[pos + 2]);
  if (sequence.parameter < 0x21 || sequence.parameter > 0x2F || sequence.group < 0x60 ||
      sequence.group > 0x7E)
    return std::nullopt;
  pos += 3;
  for (int field = 0; field < 32; ++field) {
    bool negative = false;
    if (pos < bytes.size() && (bytes[pos] == '+' || bytes[pos] == '-')) negative = bytes[pos++] == '-';
    long value = 0;
    int digits = 0;
    while (pos < bytes.size() && std::isdigit(bytes[pos]) && digits < 9) {
      value = value * 10 + (bytes[pos++] - '0');
      ++digits;
    }
    while (pos < bytes.size() && (std::isdigit(bytes[pos]) || bytes[pos] == '.')) ++pos;
    if (pos >= bytes.size()) return std::nullopt;
    sequence.value = negative ? -value : value;
    const std::uint8_t character = bytes[pos++];
    if (character >= 0x40 && character <= 0x5E) {
      sequence.terminator = static_cast<char>(character);
      sequence.end = pos;
      return sequence;
    }
    if (character < 0x60 || character > 0x7E) return std::nullopt;
  }
  return std::nullopt;
}

// The descriptor bytes of the first font header in the file.
std::optional<ByteView> FindDescriptor(ByteView bytes) {
  std::size_t pos = 0;
  for (int command = 0; command < kMaxLeadingCommands; ++command) {
    const auto sequence = ReadEscape(bytes, pos);
    if (!sequence) return std::nullopt;
    pos = sequence->end;
    if (sequence->terminator != 'W') continue;
    if (sequence->value < 0 || static_cast<std::size_t>(sequence->value) > bytes.size() - pos)
      return std::nullopt;
    const ByteView data = bytes.subspan(pos, static_cast<std::size_t>(sequence->value));
    if (sequence->parameter == ')' && sequence->group == 's') return data;
    pos += data.size();
  }
  return std::nullopt;
}

bool Recognise(ByteView head) { return !head.empty() && head[0] == kEscape; }

bool Identify(ByteView file, FontIdentity& identity) {
  const auto descriptor = FindDescriptor(file);
  if (!descriptor || descriptor->size() < kDescriptorMinBytes) return false;
  const std::size_t declaredSize = std::size_t{(*descriptor)[0]} << 8 | (*descriptor)[1];
  if (declaredSize < kDescriptorMinBytes || declaredSize > descriptor->size()) return false;

  std::string name;
  for (const std::uint8_t c : descriptor->subspan(kFontNameOffset, kFontNameBytes)) {
    if (c == 0) break;
    if (c >= 0x20 && c < 0x7F) name += static_cast<char>(c);
  }
  const std::size_t first = name.find_first_not_of(' ');
  name = first == std::string::npos ? std::string() : name.substr(first, name.find_last_not_of(' ') - first + 1);

  identity.kind = FontKind::PclSoftFont;
  identity.subtype = (*descriptor)[kHeaderFormatOffset];
  identity.name = std::move(name);
  return true;
}

}  // namespace

const FontModule kPclSoftFontModule = {"PCL soft font", Recognise, Identify, nullptr};

}  // namespace converter
