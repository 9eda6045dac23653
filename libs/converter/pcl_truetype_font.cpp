#include "pcl_truetype_font.h"

#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <algorithm>
#include <optional>
#include <vector>

#include "pcl_font_descriptor.h"
#include "sfnt_tables.h"

namespace converter {

namespace {

// The largest byte count a PCL command's value field can state.
constexpr std::size_t kMaxCommandBytes = 32767;
constexpr std::size_t kMaxSegmentBytes = 0xFFFF;
constexpr int kComponentCode = 65535;

constexpr std::uint16_t kPanoseSegment = 'P' << 8 | 'A';
constexpr std::uint16_t kGlobalTrueTypeSegment = 'G' << 8 | 'T';
constexpr std::uint16_t kNullSegment = 0xFFFF;
constexpr std::size_t kPanoseBytes = 10;
// The header's checksum covers everything from the scale factor on.
constexpr std::size_t kChecksumStart = offsetof(PclTrueTypeDescriptor, scaleFactor);

// Character descriptor: format 15, not a continuation, 2 descriptor bytes,
// class 15 (TrueType glyph); continuation blocks open with format 15, 1.
constexpr char kCharacterDescriptor[] = {15, 0, 2, 15};
constexpr char kContinuation[] = {15, 1};
constexpr std::size_t kMaxGlyphBytes = 0xFFFF - 4;  // the data size field counts itself and the glyph id

constexpr std::size_t kHheaNumberOfHMetrics = 34;
constexpr std::size_t kHheaMinBytes = 36;
constexpr std::size_t kMaxpNumGlyphs = 4;
constexpr std::size_t kMaxpMinBytes = 6;
constexpr std::size_t kHeadMinBytes = 54;
constexpr std::size_t kHeadChecksumAdjustment = 8;
constexpr FT_ULong kGlyphDirectoryTag = FT_MAKE_TAG('g', 'd', 'i', 'r');

struct Character {
  int code;
  std::uint16_t glyph;
};

void AppendUint16(std::string& out, std::size_t value) {
  out += static_cast<char>(value >> 8 & 0xFF);
  out += static_cast<char>(value & 0xFF);
}

void AppendUint32(std::string& out, std::uint32_t value) {
  AppendUint16(out, value >> 16);
  AppendUint16(out, value & 0xFFFF);
}

void PutUint16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value >> 8);
  bytes[offset + 1] = static_cast<std::uint8_t>(value);
}

void AppendCommand(std::string& out, const char* prefix, std::size_t value, char terminator) {
  out.append(prefix).append(std::to_string(value)) += terminator;
}

// The byte that brings the sum of `bytes` and itself to 0 modulo 256.
char Checksum(std::string_view bytes) {
  unsigned sum = 0;
  for (const char byte : bytes) sum += static_cast<std::uint8_t>(byte);
  return static_cast<char>((256 - sum % 256) % 256);
}

// Every Latin 1 character the font maps, then the glyphs composites need
// that no character brings along, each glyph once.
bool ChooseCharacters(FT_Face face, const GlyphTable& glyphs, std::vector<Character>& characters) {
  std::vector<bool> chosen(glyphs.count());
  std::vector<std::uint16_t> pending;
  for (int code = kFirstCode; code <= kLastCode; ++code) {
    const FT_UInt glyph = IsPrintableCode(code) ? FT_Get_Char_Index(face, static_cast<FT_ULong>(code)) : 0;
    if (glyph == 0 || glyph >= glyphs.count()) continue;
    characters.push_back({code, static_cast<std::uint16_t>(glyph)});
    if (!chosen[glyph]) pending.push_back(static_cast<std::uint16_t>(glyph));
    chosen[glyph] = true;
  }
  std::vector<std::uint16_t> components;
  for (std::size_t next = 0; next < pending.size(); ++next) {
    const auto data = glyphs.Data(pending[next]);
    if (!data || !CompositeComponents(*data, components)) return false;
    for (const std::uint16_t component : components) {
      if (component >= glyphs.count()) return false;
      if (chosen[component]) continue;
      chosen[component] = true;
      pending.push_back(component);
      characters.push_back({kComponentCode, component});
    }
  }
  return !characters.empty();
}

// The sum of the table's 32-bit words, the last padded with zeros. The
// whole-font adjustment that "head" carries counts as 0, since it was made
// to balance the sum it is part of.
std::uint32_t TableChecksum(FT_ULong tag, const std::vector<std::uint8_t>& table) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < table.size(); i += 4) {
    if (tag == TTAG_head && i == kHeadChecksumAdjustment) continue;
    std::uint32_t word = 0;
    for (std::size_t j = 0; j < 4; ++j) word = word << 8 | (i + j < table.size() ? table[i + j] : 0);
    sum += word;
  }
  return sum;
}

struct Table {
  FT_ULong tag;
  std::vector<std::uint8_t> data;
};

// The tables the printer's TrueType scaler needs besides the glyphs, as an
// sfnt of their own: directory, then each table on a 4-byte boundary. The
// metrics stop at the highest glyph downloaded (maxp and hhea say so), which
// keeps the header within what one command can carry even for fonts of
// thousands of glyphs; "gdir" stands empty for the glyphs that follow.
std::optional<std::string> GlobalTrueTypeData(FT_Face face, std::size_t fontSize, std::size_t glyphLimit) {
  std::vector<Table> tables;
  for (const FT_ULong tag : {TTAG_cvt, TTAG_fpgm, TTAG_head, TTAG_hhea, TTAG_hmtx, TTAG_maxp, TTAG_prep}) {
    auto data = LoadSfntTable(face, tag, fontSize);
    const bool required = tag == TTAG_head || tag == TTAG_hhea || tag == TTAG_hmtx || tag == TTAG_maxp;
    if (data) {
      tables.push_back({tag, std::move(*data)});
    } else if (required) {
      return std::nullopt;
    }
  }
  tables.push_back({kGlyphDirectoryTag, {}});
  std::sort(tables.begin(), tables.end(), [](const Table& a, const Table& b) { return a.tag < b.tag; });
  auto find = [&tables](FT_ULong tag) -> std::vector<std::uint8_t>& {
    return std::find_if(tables.begin(), tables.end(), [tag](const Table& t) { return t.tag == tag; })->data;
  };

  auto& head = find(TTAG_head);
  auto& hhea = find(TTAG_hhea);
  auto& hmtx = find(TTAG_hmtx);
  auto& maxp = find(TTAG_maxp);
  if (head.size() < kHeadMinBytes || hhea.size() < kHheaMinBytes || maxp.size() < kMaxpMinBytes) return std::nullopt;
  // Glyphs from numberOfHMetrics on share the last advance and keep only a
  // side bearing each.
  const std::size_t longMetrics = std::min<std::size_t>(ReadUint16(&hhea[kHheaNumberOfHMetrics]), glyphLimit);
  const std::size_t metricBytes = longMetrics * 4 + (glyphLimit - longMetrics) * 2;
  if (longMetrics == 0 || hmtx.size() < metricBytes) return std::nullopt;
  hmtx.resize(metricBytes);
  PutUint16(hhea, kHheaNumberOfHMetrics, longMetrics);
  PutUint16(maxp, kMaxpNumGlyphs, glyphLimit);

  std::size_t powerOfTwo = 1, log2 = 0;
  while (powerOfTwo * 2 <= tables.size()) powerOfTwo *= 2, ++log2;
  std::string out;
  AppendUint32(out, 0x00010000);
  AppendUint16(out, tables.size());
  AppendUint16(out, powerOfTwo * 16);
  AppendUint16(out, log2);
  AppendUint16(out, tables.size() * 16 - powerOfTwo * 16);
  std::size_t offset = out.size() + tables.size() * 16;
  for (const Table& table : tables) {
    AppendUint32(out, static_cast<std::uint32_t>(table.tag));
    AppendUint32(out, TableChecksum(table.tag, table.data));
    AppendUint32(out, table.data.empty() ? 0 : static_cast<std::uint32_t>(offset));
    AppendUint32(out, static_cast<std::uint32_t>(table.data.size()));
    offset += (table.data.size() + 3) & ~std::size_t{3};
  }
  for (const Table& table : tables) {
    out.append(table.data.begin(), table.data.end());
    out.resize((out.size() + 3) & ~std::size_t{3}, '\0');
  }
  return out;
}

void AppendSegment(std::string& header, std::uint16_t id, std::string_view data) {
  AppendUint16(header, id);
  AppendUint16(header, data.size());
  header += data;
}

bool AppendFontHeader(FT_Face face, std::size_t fontSize, std::size_t glyphLimit, std::string_view name,
                      std::string& out) {
  const PclTrueTypeDescriptor descriptor = DescribePclTrueTypeFont(face, name);
  std::string header(reinterpret_cast<const char*>(&descriptor), sizeof descriptor);
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version != 0xFFFF)
    AppendSegment(header, kPanoseSegment, {reinterpret_cast<const char*>(os2->panose), kPanoseBytes});
  const auto globalData = GlobalTrueTypeData(face, fontSize, glyphLimit);
  if (!globalData || globalData->size() > kMaxSegmentBytes) return false;
  AppendSegment(header, kGlobalTrueTypeSegment, *globalData);
  AppendSegment(header, kNullSegment, {});
  header += '\0';  // reserved
  header += Checksum(std::string_view(header).substr(kChecksumStart));
  if (header.size() > kMaxCommandBytes) return false;
  AppendCommand(out, "\x1B)s", header.size(), 'W');
  out += header;
  return true;
}

bool AppendCharacter(const Character& character, ByteView glyphData, std::string& out) {
  if (glyphData.size() > kMaxGlyphBytes) return false;
  std::string data;
  AppendUint16(data, 4 + glyphData.size());
  AppendUint16(data, character.glyph);
  data.append(AsText(glyphData));
  const char checksum = Checksum(data);
  data += '\0';  // reserved
  data += checksum;

  AppendCommand(out, "\x1B*c", static_cast<std::size_t>(character.code), 'E');
  std::string_view rest = data;
  std::string_view opening(kCharacterDescriptor, sizeof kCharacterDescriptor);
  do {
    const std::size_t take = std::min(rest.size(), kMaxCommandBytes - opening.size());
    AppendCommand(out, "\x1B(s", opening.size() + take, 'W');
    out.append(opening).append(rest.substr(0, take));
    rest.remove_prefix(take);
    opening = std::string_view(kContinuation, sizeof kContinuation);
  } while (!rest.empty());
  return true;
}

}  // namespace

std::string PclFontName(std::string_view postScriptName) {
  std::string name(postScriptName);
  if (name.size() > kPclFontNameBytes) std::erase(name, '-');
  name.resize(std::min(name.size(), kPclFontNameBytes));
  return name;
}

bool WritePclTrueTypeFont(ByteView font, FT_Face face, std::string_view postScriptName, std::string& out) {
  if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) return false;
  const auto glyphs = GlyphTable::Load(face, font.size());
  std::vector<Character> characters;
  if (!glyphs || !ChooseCharacters(face, *glyphs, characters)) return false;
  std::size_t glyphLimit = 0;
  for (const Character& character : characters) glyphLimit = std::max<std::size_t>(glyphLimit, character.glyph + 1u);

  std::string pcl;
  if (!AppendFontHeader(face, font.size(), glyphLimit, PclFontName(postScriptName), pcl)) return false;
  for (const Character& character : characters) {
    const auto data = glyphs->Data(character.glyph);
    if (!data || !AppendCharacter(character, *data, pcl)) return false;
  }
  out = std::move(pcl);
  return true;
}

}  // namespace converter
