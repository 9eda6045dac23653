#include "type1_charstring.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <initializer_list>

namespace converter {

namespace {

struct Command {
  std::string_view name;
  int code;  // 12 xx commands are stored as 32 + xx
};

constexpr int kEscapeCommand = 12;
constexpr int kEscaped = 32;

constexpr Command kCommands[] = {
    {"rrcurveto", 8},        {"rlineto", 5},          {"hlineto", 6},
    {"vlineto", 7},          {"vhcurveto", 30},       {"hvcurveto", 31},
    {"closepath", 9},        {"rmoveto", 21},         {"hmoveto", 22},
    {"vmoveto", 4},          {"hsbw", 13},            {"endchar", 14},
    {"hstem", 1},            {"vstem", 3},            {"callsubr", 10},
    {"return", 11},          {"dotsection", kEscaped + 0},
    {"vstem3", kEscaped + 1},  {"hstem3", kEscaped + 2},   {"seac", kEscaped + 6},
    {"sbw", kEscaped + 7},     {"div", kEscaped + 12},     {"callothersubr", kEscaped + 16},
    {"pop", kEscaped + 17},    {"setcurrentpoint", kEscaped + 33},
};

// Six operands of up to eleven characters and a space each, the longest
// command name and the line end.
constexpr std::size_t kMaxLineLength = 6 * 12 + 9 + 1;

// The two digits of 0-99, for writing numbers two digits at a time.
constexpr std::array<char, 200> kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (int i = 0; i < 100; ++i) pairs[2 * i] = static_cast<char>('0' + i / 10), pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
  return pairs;
}();

// Most operands are small: up to three digits are written without a loop.
char* WriteNumber(long value, char* at) {
  if (value < 0) *at++ = '-';
  const unsigned long magnitude = value < 0 ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
  if (magnitude < 10) {
    *at++ = static_cast<char>('0' + magnitude);
  } else if (magnitude < 100) {
    at = std::copy_n(&kDigitPairs[2 * magnitude], 2, at);
  } else if (magnitude < 1000) {
    *at++ = static_cast<char>('0' + magnitude / 100);
    at = std::copy_n(&kDigitPairs[2 * (magnitude % 100)], 2, at);
  } else {
    at = std::to_chars(at, at + 20, magnitude).ptr;
  }
  return at;
}

// What AppendNumber makes of the value.
std::size_t EncodedNumberBytes(long value) {
  if (value >= -107 && value <= 107) return 1;
  if (value >= -1131 && value <= 1131) return 2;
  return 5;
}

// Writes a glyph's lines straight into memory set aside for the longest
// they can be: this runs for every command of every glyph.
class CommandWriter {
 public:
  explicit CommandWriter(char* at) : at_(at) {}

  void Emit(std::initializer_list<long> operands, std::string_view command) {
    for (const long operand : operands) {
      at_ = WriteNumber(operand, at_);
      *at_++ = ' ';
      bytes_ += EncodedNumberBytes(operand);
    }
    at_ = std::copy(command.begin(), command.end(), at_);
    *at_++ = '\n';
    ++bytes_;  // none of the commands written here is an escaped one
  }

  void MoveTo(const Point& to) { StepTo(to, "hmoveto", "vmoveto", "rmoveto"); }
  void LineTo(const Point& to) { StepTo(to, "hlineto", "vlineto", "rlineto"); }

  void CurveTo(const Point& c1, const Point& c2, const Point& to) {
    const long dx1 = c1.x - current_.x, dy1 = c1.y - current_.y;
    const long dx2 = c2.x - c1.x, dy2 = c2.y - c1.y;
    const long dx3 = to.x - c2.x, dy3 = to.y - c2.y;
    if (dx1 == 0 && dy3 == 0) Emit({dy1, dx2, dy2, dx3}, "vhcurveto");
    else if (dy1 == 0 && dx3 == 0) Emit({dx1, dx2, dy2, dy3}, "hvcurveto");
    else Emit({dx1, dy1, dx2, dy2, dx3, dy3}, "rrcurveto");
    current_ = to;
  }

  void SetCurrentPoint(const Point& point) { current_ = point; }
  char* End() const { return at_; }
  // Charstring bytes of the commands emitted so far.
  std::size_t Bytes() const { return bytes_; }

 private:
  // A move or line, in its one-operand form when it is horizontal or vertical.
  void StepTo(const Point& to, std::string_view horizontal, std::string_view vertical,
              std::string_view general) {
    const long dx = to.x - current_.x, dy = to.y - current_.y;
    if (dy == 0) Emit({dx}, horizontal);
    else if (dx == 0) Emit({dy}, vertical);
    else Emit({dx, dy}, general);
    current_ = to;
  }

  char* at_;
  Point current_;
  std::size_t bytes_ = 0;
};

void AppendNumber(long value, std::vector<std::uint8_t>& bytes) {
  if (value >= -107 && value <= 107) {
    bytes.push_back(static_cast<std::uint8_t>(value + 139));
  } else if (value >= 108 && value <= 1131) {
    bytes.push_back(static_cast<std::uint8_t>(247 + ((value - 108) >> 8)));
    bytes.push_back(static_cast<std::uint8_t>((value - 108) & 0xFF));
  } else if (value >= -1131 && value <= -108) {
    bytes.push_back(static_cast<std::uint8_t>(251 + ((-value - 108) >> 8)));
    bytes.push_back(static_cast<std::uint8_t>((-value - 108) & 0xFF));
  } else {
    const auto bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
    bytes.push_back(255);
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<std::uint8_t>(bits >> shift));
  }
}

}  // namespace

void AppendCharstringText(const GlyphOutline& outline, std::string& out, std::vector<ContourText>& contours) {
  // hsbw, a moveto and closepath per contour, a line per segment, endchar.
  const std::size_t lines = 2 + 2 * outline.contours.size() + outline.segments.size();
  // Room for the longest text the glyph can have, kept from glyph to glyph
  // so that it is neither allocated nor cleared each time.
  thread_local std::vector<char> buffer;
  if (buffer.size() < lines * kMaxLineLength) buffer.resize(lines * kMaxLineLength);
  CommandWriter writer(buffer.data());
  writer.Emit({outline.leftSideBearing, outline.advance}, "hsbw");
  writer.SetCurrentPoint({outline.leftSideBearing, 0});
  const std::size_t base = out.size();
  for (const Contour& contour : outline.contours) {
    writer.MoveTo(contour.start);
    ContourText& text = contours.emplace_back();
    text.begin = base + static_cast<std::size_t>(writer.End() - buffer.data());
    const std::size_t bytesBefore = writer.Bytes();
    for (const OutlineSegment& segment : outline.SegmentsOf(contour)) {
      if (segment.curve) writer.CurveTo(segment.control1, segment.control2, segment.end);
      else writer.LineTo(segment.end);
    }
    // closepath leaves the current point where the last segment ended.
    writer.Emit({}, "closepath");
    text.end = base + static_cast<std::size_t>(writer.End() - buffer.data());
    text.bytes = writer.Bytes() - bytesBefore;
  }
  writer.Emit({}, "endchar");
  out.append(buffer.data(), writer.End());
}

namespace {

enum CharClass : std::uint8_t { kOther, kSpace, kDigit, kMinus, kClose };

constexpr std::array<CharClass, 256> kClasses = [] {
  std::array<CharClass, 256> classes{};
  for (const char c : {' ', '\t', '\r', '\n'}) classes[static_cast<unsigned char>(c)] = kSpace;
  for (char c = '0'; c <= '9'; ++c) classes[static_cast<unsigned char>(c)] = kDigit;
  classes['-'] = kMinus;
  classes['}'] = kClose;
  return classes;
}();

CharClass ClassOf(char c) { return kClasses[static_cast<unsigned char>(c)]; }

// The commands by their first two letters, longest first where several
// share them (hstem3, hstem): a command is matched where it stands, without
// first scanning for the end of the word.
constexpr std::size_t kCommandSlots = 64;

constexpr std::size_t CommandSlot(char first, char second) {
  return (static_cast<unsigned char>(first) * 3 + static_cast<unsigned char>(second)) % kCommandSlots;
}

constexpr std::size_t kMaxCommandsPerSlot = 4;

constexpr std::array<std::array<const Command*, kMaxCommandsPerSlot>, kCommandSlots> kCommandTable = [] {
  std::array<std::array<const Command*, kMaxCommandsPerSlot>, kCommandSlots> table{};
  for (const Command& command : kCommands) {
    auto& slot = table[CommandSlot(command.name[0], command.name[1])];
    std::size_t at = 0;
    while (slot[at] != nullptr && slot[at]->name.size() >= command.name.size()) ++at;
    for (std::size_t move = kMaxCommandsPerSlot - 1; move > at; --move) slot[move] = slot[move - 1];
    slot[at] = &command;
  }
  return table;
}();

// The command whose name stands at p, followed by white space or the end.
const Command* MatchCommand(const char* p, const char* end) {
  if (end - p < 2) return nullptr;
  for (const Command* command : kCommandTable[CommandSlot(p[0], p[1])]) {
    if (command == nullptr) break;
    const std::size_t length = command->name.size();
    if (static_cast<std::size_t>(end - p) >= length && std::equal(command->name.begin(), command->name.end(), p) &&
        (p + length == end || ClassOf(p[length]) == kSpace))
      return command;
  }
  return nullptr;
}

}  // namespace

// One pass over the text with a class table per character: this loop sees
// every character of every glyph.
std::optional<std::size_t> AssembleCharstring(std::string_view text, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* p = begin;
  while (true) {
    while (p != end && ClassOf(*p) == kSpace) ++p;
    if (p == end) return std::nullopt;  // never closed
    const CharClass first = ClassOf(*p);
    if (first == kClose) return static_cast<std::size_t>(p - begin);

    if (first == kDigit || first == kMinus) {
      const bool negative = first == kMinus;
      const char* digits = p + (negative ? 1 : 0);
      const char* at = digits;
      // Eleven digits at most: more would overflow before being refused.
      const char* const limit = end - digits > 11 ? digits + 11 : end;
      std::int64_t value = 0;
      for (unsigned digit; at != limit && (digit = static_cast<unsigned char>(*at) - unsigned{'0'}) < 10; ++at)
        value = value * 10 + digit;
      if (at == digits || (at != end && ClassOf(*at) != kSpace)) return std::nullopt;
      value = negative ? -value : value;
      if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
      AppendNumber(static_cast<long>(value), bytes);
      p = at;
      continue;
    }

    const Command* command = MatchCommand(p, end);
    if (command == nullptr) return std::nullopt;
    p += command->name.size();
    if (command->code >= kEscaped) {
      bytes.push_back(kEscapeCommand);
      bytes.push_back(static_cast<std::uint8_t>(command->code - kEscaped));
    } else {
      bytes.push_back(static_cast<std::uint8_t>(command->code));
    }
  }
}

}  // namespace converter
