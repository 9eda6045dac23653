#include "pcl_global_truetype_data.h"

#include FT_TRUETYPE_TAGS_H

#include <algorithm>
#include <vector>

#include "sfnt_tables.h"

namespace converter {

namespace {

constexpr std::uint32_t kTrueTypeVersion = 0x00010000;
constexpr std::size_t kHheaNumberOfHMetrics = 34;
constexpr std::size_t kHheaMinBytes = 36;
constexpr std::size_t kMaxpNumGlyphs = 4;
constexpr std::size_t kMaxpMinBytes = 6;
constexpr std::size_t kHeadChecksumAdjustment = 8;
constexpr std::size_t kRequiredTables = 4;  // head, hhea, hmtx, maxp: listed first
constexpr FT_ULong kGlyphDirectoryTag = FT_MAKE_TAG('g', 'd', 'i', 'r');

void PutUint16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value >> 8);
  bytes[offset + 1] = static_cast<std::uint8_t>(value);
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

}  // namespace

std::optional<std::string> GlobalTrueTypeData(FT_Face face, std::size_t fontSize, std::size_t glyphLimit) {
  std::vector<Table> tables;
  for (const FT_ULong tag : {TTAG_head, TTAG_hhea, TTAG_hmtx, TTAG_maxp, TTAG_cvt, TTAG_fpgm, TTAG_prep}) {
    auto data = LoadSfntTable(face, tag, fontSize);
    if (data) {
      tables.push_back({tag, std::move(*data)});
    } else if (tables.size() < kRequiredTables) {
      return std::nullopt;
    }
  }
  auto& head = tables[0].data;
  auto& hhea = tables[1].data;
  auto& hmtx = tables[2].data;
  auto& maxp = tables[3].data;
  if (head.size() < kHeadMinBytes || hhea.size() < kHheaMinBytes || maxp.size() < kMaxpMinBytes)
    return std::nullopt;
  // Glyphs from numberOfHMetrics on share the last advance and keep only a
  // side bearing each.
  const std::size_t longMetrics = std::min<std::size_t>(ReadUint16(&hhea[kHheaNumberOfHMetrics]), glyphLimit);
  const std::size_t metricBytes = longMetrics * 4 + (glyphLimit - longMetrics) * 2;
  if (longMetrics == 0 || hmtx.size() < metricBytes) return std::nullopt;
  hmtx.resize(metricBytes);
  PutUint16(hhea, kHheaNumberOfHMetrics, longMetrics);
  PutUint16(maxp, kMaxpNumGlyphs, glyphLimit);

  tables.push_back({kGlyphDirectoryTag, {}});
  std::sort(tables.begin(), tables.end(), [](const Table& a, const Table& b) { return a.tag < b.tag; });
  std::size_t powerOfTwo = 1, log2 = 0;
  while (powerOfTwo * 2 <= tables.size()) powerOfTwo *= 2, ++log2;
  std::string out;
  AppendUint32(out, kTrueTypeVersion);
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

}  // namespace converter
