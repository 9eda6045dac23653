#include "font_file_name.h"

#include "pjl_reply.h"
#include "reply_text.h"

namespace glysnmp {
namespace {

uint32_t BigEndian(std::string_view bytes, size_t at, size_t size) {
  uint32_t value = 0;
  for (size_t i = 0; i < size; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// "ESC )s#W" and the name in bytes 48 to 63 of the descriptor that
// follows, after an optional "ESC *c#D" font ID.
std::optional<FontFileName> PclFontName(std::string_view head) {
  FontFileName font{FontFileType::kPcl, {}, std::nullopt};
  if (head.substr(0, 3) == "\x1B*c") {
    const size_t end = head.find('D', 3);
    if (end == std::string_view::npos || end > 9) return std::nullopt;
    font.pclFontId = NumberAt<int32_t>(head.substr(3, end - 3));
    if (!font.pclFontId || *font.pclFontId < 0 || *font.pclFontId > 32767) return std::nullopt;
    head.remove_prefix(end + 1);
  }
  if (head.substr(0, 3) != "\x1B)s") return std::nullopt;
  const size_t end = head.find('W', 3);
  if (end == std::string_view::npos || end > 9) return std::nullopt;
  std::optional<uint32_t> size = NumberAt<uint32_t>(head.substr(3, end - 3));
  constexpr size_t kNameAt = 48, kNameSize = 16;
  if (!size || *size < kNameAt + kNameSize || head.size() < end + 1 + kNameAt + kNameSize) return std::nullopt;
  std::string_view name = head.substr(end + 1 + kNameAt, kNameSize);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.remove_suffix(1);
  if (!Printable(name)) return std::nullopt;
  font.name.assign(name);
  return font;
}

// The name a PostScript text gives at the start of `text`: up to the first
// blank or delimiter.
std::optional<std::string> NameToken(std::string_view text) {
  std::string_view name = text.substr(0, text.find_first_of(" \t\r\n/[](){}<>%"));
  if (name.size() > kMostPjlNameBytes || !Printable(name)) return std::nullopt;
  return std::string(name);
}

// "/FontName /Name" anywhere in the text searched, as the font dictionary
// gives it to the interpreter.
std::optional<std::string> FontNameKey(std::string_view text) {
  constexpr std::string_view kKey = "/FontName";
  text = text.substr(0, kFontNameSearchBytes);
  for (size_t at = text.find(kKey); at != std::string_view::npos; at = text.find(kKey, at + 1)) {
    const size_t value = text.find_first_not_of(" \t\r\n", at + kKey.size());
    if (value == std::string_view::npos || text[value] != '/') continue;
    if (std::optional<std::string> name = NameToken(text.substr(value + 1))) return name;
  }
  return std::nullopt;
}

// The first line of a Type 1 font: "%!PS-AdobeFont-1.0: Name 001.000" or
// "%!FontType1-1.0: Name".
std::optional<std::string> HeaderLineName(std::string_view text) {
  if (!text.starts_with("%!PS-AdobeFont-") && !text.starts_with("%!FontType1-")) return std::nullopt;
  const std::string_view line = text.substr(0, text.find_first_of("\r\n"));
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const size_t name = line.find_first_not_of(" \t", colon + 1);
  return name == std::string_view::npos ? std::nullopt : NameToken(line.substr(name));
}

// A PostScript text, or a PFB file whose first segment holds one. Named by
// its /FontName, which the interpreter knows it by, else by its first line;
// one that gives neither is still PostScript, with no name.
std::optional<FontFileName> PostScriptFontName(std::string_view head) {
  // A PFB segment header: 0x80, segment type 1 (text), 32-bit length.
  constexpr size_t kPfbHeaderBytes = 6;
  const bool pfb = head.size() >= kPfbHeaderBytes && head.starts_with("\x80\x01");
  if (pfb) head.remove_prefix(kPfbHeaderBytes);
  if (!pfb && !head.starts_with("%!")) return std::nullopt;
  FontFileName font{FontFileType::kPostScript, {}, std::nullopt};
  std::optional<std::string> name = FontNameKey(head);
  if (!name) name = HeaderLineName(head);
  font.name = name.value_or("");
  return font;
}

}  // namespace

FontFileName ReadFontFileName(std::string_view head) {
  if (std::optional<FontFileName> pcl = PclFontName(head)) return *pcl;
  if (std::optional<FontFileName> postScript = PostScriptFontName(head)) return *postScript;
  if (head.size() >= 12 && (BigEndian(head, 0, 4) == 0x00010000 || head.substr(0, 4) == "true")) {
    return FontFileName{FontFileType::kTrueType, {}, std::nullopt};
  }
  return {};
}

std::optional<std::pair<uint32_t, uint32_t>> FindTrueTypeNameTable(std::string_view head) {
  if (head.size() < 12) return std::nullopt;
  const uint32_t tables = BigEndian(head, 4, 2);
  for (uint32_t i = 0; i < tables && 12 + 16 * (i + 1) <= head.size(); ++i) {
    const size_t record = 12 + 16 * i;
    if (head.substr(record, 4) == "name") return std::pair(BigEndian(head, record + 8, 4), BigEndian(head, record + 12, 4));
  }
  return std::nullopt;
}

std::optional<std::string> ReadTrueTypeName(std::string_view table) {
  if (table.size() < 6) return std::nullopt;
  const uint32_t count = BigEndian(table, 2, 2);
  const uint32_t strings = BigEndian(table, 4, 2);
  std::optional<std::string> family;
  for (uint32_t i = 0; i < count && 6 + 12 * (i + 1) <= table.size(); ++i) {
    const size_t record = 6 + 12 * i;
    const uint32_t platform = BigEndian(table, record, 2);
    const uint32_t nameId = BigEndian(table, record + 6, 2);
    const uint32_t length = BigEndian(table, record + 8, 2);
    const uint64_t at = uint64_t{strings} + BigEndian(table, record + 10, 2);
    if ((nameId != 4 && nameId != 1) || (platform != 1 && platform != 3) || at + length > table.size()) continue;
    // Windows names are UTF-16BE; the font names kept here are ASCII.
    std::string name;
    const size_t step = platform == 3 ? 2 : 1;
    for (size_t pos = static_cast<size_t>(at) + step - 1; pos < at + length && name.size() < kMostPjlNameBytes;
         pos += step) {
      name.push_back(table[pos]);
    }
    if (!Printable(name)) continue;
    if (nameId == 4) return name;
    family = name;
  }
  return family;
}

}  // namespace glysnmp
