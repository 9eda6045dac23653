#include "type1_charstring.h"

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
    {"hstem", 1},           {"vstem", 3},
    {"vmoveto", 4},         {"rlineto", 5},
    {"hlineto", 6},         {"vlineto", 7},
    {"rrcurveto", 8},       {"closepath", 9},
    {"callsubr", 10},       {"return", 11},
    {"hsbw", 13},           {"endchar", 14},
    {"rmoveto", 21},        {"hmoveto", 22},
    {"vhcurveto", 30},      {"hvcurveto", 31},
    {"dotsection", kEscaped + 0},   {"vstem3", kEscaped + 1},
    {"hstem3", kEscaped + 2},       {"seac", kEscaped + 6},
    {"sbw", kEscaped + 7},          {"div", kEscaped + 12},
    {"callothersubr", kEscaped + 16}, {"pop", kEscaped + 17},
    {"setcurrentpoint", kEscaped + 33},
};

class CommandWriter {
 public:
  void Emit(std::initializer_list<long> operands, std::string_view command) {
    text_ += '\t';
    for (const long operand : operands) text_ += std::to_string(operand) + ' ';
    text_ += command;
    text_ += '\n';
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
  std::string Take() { return std::move(text_); }

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

  std::string text_;
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

std::string WriteCharstringText(const GlyphOutline& outline) {
  CommandWriter writer;
  writer.Emit({outline.leftSideBearing, outline.advance}, "hsbw");
  writer.SetCurrentPoint({outline.leftSideBearing, 0});
  for (const Contour& contour : outline.contours) {
    writer.MoveTo(contour.start);
    for (const OutlineSegment& segment : contour.segments) {
      if (segment.curve) writer.CurveTo(segment.control1, segment.control2, segment.end);
      else writer.LineTo(segment.end);
    }
    // closepath leaves the current point where the last segment ended.
    writer.Emit({}, "closepath");
  }
  writer.Emit({}, "endchar");
  return writer.Take();
}

bool AssembleCharstring(std::string_view text, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  std::size_t pos = 0;
  while (true) {
    pos = text.find_first_not_of(" \t\r\n", pos);
    if (pos == std::string_view::npos) return true;
    std::size_t end = text.find_first_of(" \t\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view token = text.substr(pos, end - pos);
    pos = end;

    long value = 0;
    const auto [last, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (error == std::errc() && last == token.data() + token.size()) {
      if (value < INT32_MIN || value > INT32_MAX) return false;
      AppendNumber(value, bytes);
      continue;
    }
    const Command* command = nullptr;
    for (const Command& candidate : kCommands) {
      if (candidate.name == token) command = &candidate;
    }
    if (command == nullptr) return false;
    if (command->code >= kEscaped) {
      bytes.push_back(kEscapeCommand);
      bytes.push_back(static_cast<std::uint8_t>(command->code - kEscaped));
    } else {
      bytes.push_back(static_cast<std::uint8_t>(command->code));
    }
  }
}

}  // namespace converter
