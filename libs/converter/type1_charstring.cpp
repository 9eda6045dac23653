#include "type1_charstring.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>
#include <iterator>

namespace converter {

namespace {

struct Command {
  std::string_view name;
  int code;  // 12 xx commands are stored as 32 + xx
};

constexpr int kEscapeCommand = 12;
constexpr int kEscaped = 32;

// Outline commands first: they make up nearly every charstring.
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

class CommandWriter {
 public:
  explicit CommandWriter(std::string& text) : text_(text) {}

  // Formats the line in place and appends it once: this runs for every
  // command of every glyph.
  void Emit(std::initializer_list<long> operands, std::string_view command) {
    char line[8 + 6 * 24 + 24];  // tab, up to six operands, the longest command name
    char* end = line;
    *end++ = '\t';
    for (const long operand : operands) {
      end = std::to_chars(end, end + 24, operand).ptr;
      *end++ = ' ';
    }
    end = std::copy(command.begin(), command.end(), end);
    *end++ = '\n';
    text_.append(line, end);
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

  std::string& text_;
  Point current_;
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

void AppendCharstringText(const GlyphOutline& outline, std::string& out) {
  CommandWriter writer(out);
  writer.Emit({outline.leftSideBearing, outline.advance}, "hsbw");
  writer.SetCurrentPoint({outline.leftSideBearing, 0});
  for (const Contour& contour : outline.contours) {
    writer.MoveTo(contour.start);
    for (const OutlineSegment& segment : outline.SegmentsOf(contour)) {
      if (segment.curve) writer.CurveTo(segment.control1, segment.control2, segment.end);
      else writer.LineTo(segment.end);
    }
    // closepath leaves the current point where the last segment ended.
    writer.Emit({}, "closepath");
  }
  writer.Emit({}, "endchar");
}

std::optional<std::size_t> AssembleCharstring(std::string_view text, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  std::size_t pos = 0;
  while (true) {
    while (pos < text.size() && isSpace(text[pos])) ++pos;
    if (pos == text.size()) return std::nullopt;  // never closed
    if (text[pos] == '}') return pos;

    // Numbers are read in the same pass as the text is scanned: this loop
    // sees every character of every glyph.
    if (text[pos] == '-' || isDigit(text[pos])) {
      const bool negative = text[pos] == '-';
      std::size_t at = pos + (negative ? 1 : 0);
      std::int64_t value = 0;
      const std::size_t firstDigit = at;
      while (at < text.size() && isDigit(text[at]) && at - firstDigit < 11) value = value * 10 + (text[at++] - '0');
      if (at == firstDigit || (at < text.size() && !isSpace(text[at]))) return std::nullopt;
      value = negative ? -value : value;
      if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
      AppendNumber(static_cast<long>(value), bytes);
      pos = at;
      continue;
    }

    std::size_t end = pos;
    while (end < text.size() && !isSpace(text[end])) ++end;
    const std::string_view token = text.substr(pos, end - pos);
    pos = end;
    // Length and first two letters tell nearly all commands apart cheaply.
    const auto command = std::find_if(std::begin(kCommands), std::end(kCommands), [token](const Command& c) {
      return c.name.size() == token.size() && c.name[0] == token[0] && c.name[1] == token[1] &&
             c.name == token;
    });
    if (command == std::end(kCommands)) return std::nullopt;
    if (command->code >= kEscaped) {
      bytes.push_back(kEscapeCommand);
      bytes.push_back(static_cast<std::uint8_t>(command->code - kEscaped));
    } else {
      bytes.push_back(static_cast<std::uint8_t>(command->code));
    }
  }
}

}  // namespace converter
