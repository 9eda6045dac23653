#include "sfnt_tables.h"

#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <algorithm>

namespace converter {

namespace {

constexpr std::size_t kHeadIndexToLocFormat = 50;
constexpr std::size_t kGlyphHeaderBytes = 10;

// Component flags of a composite glyph record.
constexpr std::uint16_t kArgsAreWords = 0x0001;
constexpr std::uint16_t kArgsAreOffsets = 0x0002;
constexpr std::uint16_t kHaveScale = 0x0008;
constexpr std::uint16_t kMoreComponents = 0x0020;
constexpr std::uint16_t kHaveXYScale = 0x0040;
constexpr std::uint16_t kHaveTwoByTwo = 0x0080;

std::uint32_t ReadUint32(const std::uint8_t* bytes) {
  return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
}

constexpr std::uint32_t kCollectionTag = 0x74746366;  // "ttcf"
constexpr std::size_t kCollectionFirstFont = 12;
constexpr std::size_t kDirectoryNumTables = 4;
constexpr std::size_t kDirectoryRecords = 12;
constexpr std::size_t kRecordBytes = 16;

// Where the table lies in the font's bytes, found through the directory of
// the first face (the one FreeTypeFace opens). Only a table FreeType reads
// alike, with the length it reports, is taken, so that a damaged directory
// that FreeType reads its own way counts as not having the table.
std::optional<ByteView> SfntTableIn(ByteView font, FT_Face face, FT_ULong tag) {
  FT_ULong length = 0;
  if (FT_Load_Sfnt_Table(face, tag, 0, nullptr, &length) != 0) return std::nullopt;
  std::size_t directory = 0;
  if (font.size() >= kCollectionFirstFont + 4 && ReadUint32(font.data()) == kCollectionTag)
    directory = ReadUint32(&font[kCollectionFirstFont]);
  if (directory > font.size() || font.size() - directory < kDirectoryRecords) return std::nullopt;
  const std::size_t count = ReadUint16(&font[directory + kDirectoryNumTables]);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t record = directory + kDirectoryRecords + i * kRecordBytes;
    if (record + kRecordBytes > font.size()) return std::nullopt;
    if (ReadUint32(&font[record]) != tag || ReadUint32(&font[record + 12]) == 0) continue;
    const std::size_t offset = ReadUint32(&font[record + 8]);
    if (ReadUint32(&font[record + 12]) != length || offset > font.size() || font.size() - offset < length)
      return std::nullopt;
    return font.subspan(offset, length);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> LoadSfntTable(FT_Face face, FT_ULong tag, std::size_t fontSize) {
  FT_ULong length = 0;
  if (FT_Load_Sfnt_Table(face, tag, 0, nullptr, &length) != 0 || length > fontSize) return std::nullopt;
  std::vector<std::uint8_t> table(length);
  if (length > 0 && FT_Load_Sfnt_Table(face, tag, 0, table.data(), &length) != 0) return std::nullopt;
  return table;
}

std::optional<GlyphTable> GlyphTable::Load(FT_Face face, ByteView font) {
  const auto head = LoadSfntTable(face, TTAG_head, font.size());
  const auto loca = SfntTableIn(font, face, TTAG_loca);
  const auto glyf = SfntTableIn(font, face, TTAG_glyf);
  if (!head || head->size() < kHeadMinBytes || !loca || !glyf || face->num_glyphs <= 0) return std::nullopt;
  GlyphTable table;
  table.longOffsets_ = ReadUint16(head->data() + kHeadIndexToLocFormat) != 0;
  const std::size_t entryBytes = table.longOffsets_ ? 4 : 2;
  // A short "loca" covers fewer glyphs than the font claims; those beyond
  // it have no data.
  if (loca->size() < 2 * entryBytes) return std::nullopt;
  table.count_ = std::min(static_cast<std::size_t>(face->num_glyphs), loca->size() / entryBytes - 1);
  table.loca_ = *loca;
  table.glyf_ = *glyf;
  return table;
}

std::optional<ByteView> GlyphTable::Data(std::size_t glyph) const {
  if (glyph >= count_) return std::nullopt;
  std::size_t start, end;
  if (longOffsets_) {
    start = ReadUint32(&loca_[4 * glyph]);
    end = ReadUint32(&loca_[4 * glyph + 4]);
  } else {
    start = std::size_t{ReadUint16(&loca_[2 * glyph])} * 2;
    end = std::size_t{ReadUint16(&loca_[2 * glyph + 2])} * 2;
  }
  if (start > end || end > glyf_.size()) return std::nullopt;
  return glyf_.subspan(start, end - start);
}

bool CompositeComponents(ByteView glyphData, std::vector<CompositeComponent>& components) {
  components.clear();
  if (glyphData.empty()) return true;
  if (glyphData.size() < kGlyphHeaderBytes) return false;
  const auto contours = static_cast<std::int16_t>(ReadUint16(glyphData.data()));
  if (contours >= 0) return true;

  std::size_t pos = kGlyphHeaderBytes;
  for (;;) {
    if (pos + 4 > glyphData.size()) return false;
    const std::uint16_t flags = ReadUint16(&glyphData[pos]);
    CompositeComponent& component = components.emplace_back(CompositeComponent{ReadUint16(&glyphData[pos + 2])});
    const bool words = (flags & kArgsAreWords) != 0;
    if (pos + (words ? 8 : 6) > glyphData.size()) return false;
    if ((flags & kArgsAreOffsets) != 0) {
      const std::uint8_t* args = &glyphData[pos + 4];
      component.dx = words ? static_cast<std::int16_t>(ReadUint16(args)) : static_cast<std::int8_t>(args[0]);
      component.dy = words ? static_cast<std::int16_t>(ReadUint16(args + 2)) : static_cast<std::int8_t>(args[1]);
    }
    pos += words ? 8 : 6;
    if ((flags & kHaveScale) != 0) {
      pos += 2;
    } else if ((flags & kHaveXYScale) != 0) {
      pos += 4;
    } else if ((flags & kHaveTwoByTwo) != 0) {
      pos += 8;
    }
    if (pos > glyphData.size()) return false;
    if ((flags & kMoreComponents) == 0) return true;
  }
}

namespace {

// Real composites nest two or three deep and have a handful of components;
// the limits keep a crafted font's tree of composites from taking long.
constexpr int kMaxCompositeDepth = 5;
constexpr int kMaxComponentsFollowed = 256;

bool AddContourOffsets(const GlyphTable& glyphs, std::size_t glyph, FT_Vector at, int depth, int& budget,
                       std::vector<FT_Vector>& offsets) {
  const auto data = glyphs.Data(glyph);
  if (!data) return false;
  if (data->empty()) return true;
  if (data->size() < kGlyphHeaderBytes) return false;
  const auto contours = static_cast<std::int16_t>(ReadUint16(data->data()));
  if (contours >= 0) {
    offsets.insert(offsets.end(), static_cast<std::size_t>(contours), at);
    return true;
  }
  std::vector<CompositeComponent> components;
  if (depth >= kMaxCompositeDepth || !CompositeComponents(*data, components)) return false;
  for (const CompositeComponent& component : components) {
    if (--budget < 0 ||
        !AddContourOffsets(glyphs, component.glyph, {at.x + component.dx, at.y + component.dy}, depth + 1, budget,
                           offsets))
      return false;
  }
  return true;
}

}  // namespace

void ContourOffsets(const GlyphTable& glyphs, std::size_t glyph, std::vector<FT_Vector>& offsets) {
  offsets.clear();
  const auto data = glyphs.Data(glyph);
  if (!data || data->size() < kGlyphHeaderBytes || static_cast<std::int16_t>(ReadUint16(data->data())) >= 0) return;
  int budget = kMaxComponentsFollowed;
  if (!AddContourOffsets(glyphs, glyph, {0, 0}, 0, budget, offsets)) offsets.clear();
}

}  // namespace converter
