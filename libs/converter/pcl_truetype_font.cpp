#include "pcl_truetype_font.h"

#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <optional>
#include <vector>

#include "pcl_binding.h"
#include "pcl_font_descriptor.h"
#include "pcl_global_truetype_data.h"
#include "sfnt_tables.h"

namespace converter {

namespace {

// The largest byte count a PCL command's value field can state, but for the
// font header of format 16.
constexpr std::size_t kMaxCommandBytes = 32767;
constexpr std::size_t kMaxFormat15SegmentBytes = 0xFFFF;
constexpr int kComponentCode = 65535;

constexpr std::uint8_t kFormat15 = 15, kFormat16 = 16;
constexpr std::uint8_t kFontTypeEightBit = 1;   // codes 32-127 and 160-255 print
constexpr std::uint8_t kFontTypeAllCodes = 2;   // codes 0-255 print
constexpr std::uint8_t kFontTypeUnicode = 11;   // unbound, codes are Unicode values
constexpr int kFirstBoundCode = 32, kLastBoundCode = 255;

constexpr std::uint16_t kPanoseSegment = 'P' << 8 | 'A';
constexpr std::uint16_t kComplementSegment = 'C' << 8 | 'C';
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

void AppendCommand(std::string& out, const char* prefix, std::size_t value, char terminator) {
  out.append(prefix).append(std::to_string(value)) += terminator;
}

// The byte that brings the sum of `bytes` and itself to 0 modulo 256.
char Checksum(std::string_view bytes) {
  unsigned sum = 0;
  for (const char byte : bytes) sum += static_cast<std::uint8_t>(byte);
  return static_cast<char>((256 - sum % 256) % 256);
}

// Adds the glyphs the chosen characters' composites are built from that no
// character brings along, each glyph once.
bool AddComponents(const GlyphTable& glyphs, std::vector<PclCharacter>& characters) {
  std::vector<bool> chosen(glyphs.count());
  std::vector<std::uint16_t> pending;
  for (const PclCharacter& character : characters) {
    if (!chosen[character.glyph]) pending.push_back(character.glyph);
    chosen[character.glyph] = true;
  }
  std::vector<CompositeComponent> components;
  for (std::size_t next = 0; next < pending.size(); ++next) {
    const auto data = glyphs.Data(pending[next]);
    if (!data || !CompositeComponents(*data, components)) return false;
    for (const CompositeComponent& part : components) {
      const std::uint16_t component = part.glyph;
      if (component >= glyphs.count()) return false;
      if (chosen[component]) continue;
      chosen[component] = true;
      pending.push_back(component);
      characters.push_back({kComponentCode, component});
    }
  }
  return true;
}

PclCodeFields CodeFields(const PclBinding& binding, std::size_t characterCount) {
  if (binding.symbolSet == nullptr) {
    return {kFormat15, kFontTypeUnicode, kUnboundSymbolSet, binding.characters.front().code,
            static_cast<int>(std::min<std::size_t>(characterCount, 0xFFFF))};
  }
  const std::uint8_t fontType = binding.symbolSet->PrintsControlRange() ? kFontTypeAllCodes : kFontTypeEightBit;
  return {kFormat15, fontType, binding.symbolSet->Value(), kFirstBoundCode, kLastBoundCode};
}

void AppendSegment(std::string& header, std::uint8_t format, std::uint16_t id, std::string_view data) {
  AppendUint16(header, id);
  if (format == kFormat16) {
    AppendUint32(header, static_cast<std::uint32_t>(data.size()));
  } else {
    AppendUint16(header, data.size());
  }
  header += data;
}

std::string FontHeader(FT_Face face, std::string_view name, PclCodeFields codes, std::uint64_t complement,
                       std::string_view globalData) {
  const PclTrueTypeDescriptor descriptor = DescribePclTrueTypeFont(face, name, codes);
  std::string header(reinterpret_cast<const char*>(&descriptor), sizeof descriptor);
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version != 0xFFFF) {
    AppendSegment(header, codes.headerFormat, kPanoseSegment,
                  {reinterpret_cast<const char*>(os2->panose), kPanoseBytes});
  }
  if (codes.fontType == kFontTypeUnicode) {
    std::string bits;
    AppendUint32(bits, static_cast<std::uint32_t>(complement >> 32));
    AppendUint32(bits, static_cast<std::uint32_t>(complement));
    AppendSegment(header, codes.headerFormat, kComplementSegment, bits);
  }
  AppendSegment(header, codes.headerFormat, kGlobalTrueTypeSegment, globalData);
  AppendSegment(header, codes.headerFormat, kNullSegment, {});
  header += '\0';  // reserved
  header += Checksum(std::string_view(header).substr(kChecksumStart));
  return header;
}

bool AppendFontHeader(FT_Face face, std::size_t fontSize, const PclBinding& binding,
                      const std::vector<PclCharacter>& characters, std::string_view name, std::string& out) {
  std::size_t glyphLimit = 0;
  for (const PclCharacter& character : characters)
    glyphLimit = std::max<std::size_t>(glyphLimit, character.glyph + 1u);
  const auto globalData = GlobalTrueTypeData(face, fontSize, glyphLimit);
  if (!globalData) return false;
  PclCodeFields codes = CodeFields(binding, characters.size());
  std::string header = FontHeader(face, name, codes, binding.complement, *globalData);
  if (globalData->size() > kMaxFormat15SegmentBytes || header.size() > kMaxCommandBytes) {
    codes.headerFormat = kFormat16;
    header = FontHeader(face, name, codes, binding.complement, *globalData);
  }
  AppendCommand(out, "\x1B)s", header.size(), 'W');
  out += header;
  return true;
}

// `data` is scratch space, kept from one character to the next.
bool AppendCharacter(const PclCharacter& character, ByteView glyphData, std::string& data, std::string& out) {
  if (glyphData.size() > kMaxGlyphBytes) return false;
  data.clear();
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

bool WritePclTrueTypeFont(ByteView font, FT_Face face, std::string_view postScriptName, std::string& out,
                          PclCoverage& coverage) {
  const auto glyphs = GlyphTable::Load(face, font);
  if (!glyphs) {
    coverage.failure = "the font's glyph table is damaged";
    return false;
  }
  std::optional<PclBinding> binding = ChoosePclBinding(face, glyphs->count());  // selects the character map
  if (!binding) {
    coverage.failure = "the font has no character a PCL font can carry";
    return false;
  }
  coverage.mapped = binding->mapped;
  coverage.carried = binding->characters.size();
  coverage.symbolSet = binding->symbolSet != nullptr ? std::string(binding->symbolSet->id) : "unbound";
  coverage.selectWith = binding->symbolSet != nullptr ? binding->symbolSet->id : kUnicodeSymbolSetId;
  coverage.privateUseCount = binding->privateUseCount;
  coverage.firstPrivateUseCode = binding->firstPrivateUseCode;

  std::vector<PclCharacter> characters = binding->characters;
  std::string pcl, scratch;
  pcl.reserve(font.size());
  const bool written = AddComponents(*glyphs, characters) &&
                       AppendFontHeader(face, font.size(), *binding, characters, PclFontName(postScriptName), pcl) &&
                       std::all_of(characters.begin(), characters.end(), [&](const PclCharacter& character) {
                         const auto data = glyphs->Data(character.glyph);
                         return data && AppendCharacter(character, *data, scratch, pcl);
                       });
  if (!written) {
    coverage.failure = "the font's tables or glyphs do not fit a PCL TrueType font";
    return false;
  }
  out = std::move(pcl);
  return true;
}

}  // namespace converter
