#include "pcl_truetype_font.h"

#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <optional>
#include <vector>

#include "pcl_font_descriptor.h"
#include "pcl_global_truetype_data.h"
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

struct Character {
  int code;
  std::uint16_t glyph;
};

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
  for (const Character& character : characters)
    glyphLimit = std::max<std::size_t>(glyphLimit, character.glyph + 1u);

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
