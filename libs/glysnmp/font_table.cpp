#include "font_table.h"

#include "answer_values.h"
#include "table_walk.h"

namespace glysnmp {
namespace {

enum Column : size_t { kName, kPclId, kLocation, kType, kPersistence };

}  // namespace

bool HasFontTable(Session& session) {
  Pdu answer = session.Exchange(MakeRequest(SNMP_MSG_GET, {oids::kFontCount}));
  return answer && answer->errstat == SNMP_ERR_NOERROR && answer->variables != nullptr &&
         !IsException(*answer->variables);
}

const std::vector<Oid>& FontColumns() {
  static const std::vector<Oid> columns = {oids::kFontName, oids::kFontPclId, oids::kFontLocation, oids::kFontType,
                                           oids::kFontPersistence};
  return columns;
}

void FontRows::Add(size_t column, const netsnmp_variable_list& value) {
  if (column >= FontColumns().size()) return;
  std::optional<int32_t> index = RowIndex(value, FontColumns()[column].size());
  if (!index) return;
  auto [at, added] = rows_.try_emplace(*index);
  FontEntry& entry = at->second.entry;
  if (added) {
    entry.index = *index;
    entry.fontId = kNoFontId;
  }
  if (column == kName) {
    at->second.named = ReadText(value, entry.name);
    return;
  }
  std::optional<int32_t> number = ReadInteger(value);
  if (!number) return;
  switch (column) {
    case kPclId: entry.fontId = *number; break;
    case kLocation: entry.location = *number; break;
    case kType: entry.fontType = *number; break;
    case kPersistence: entry.persistence = *number; break;
    default: break;
  }
}

std::vector<FontEntry> FontRows::Named() const {
  std::vector<FontEntry> fonts;
  fonts.reserve(rows_.size());
  for (const auto& [index, row] : rows_) {
    if (row.named) fonts.push_back(row.entry);
  }
  return fonts;
}

FontTableRead ReadFontTable(Session& session, std::optional<int32_t> afterIndex) {
  FontRows rows;
  const WalkEnd end = WalkColumns(session, FontColumns(), afterIndex, [&](size_t column, const netsnmp_variable_list& value) {
    rows.Add(column, value);
    return true;
  });
  if (end == WalkEnd::kSilent) return {FontTableRead::kNoAnswer, {}};
  if (end == WalkEnd::kRefused || (rows.empty() && !HasFontTable(session))) return {FontTableRead::kAbsent, {}};
  return {FontTableRead::kRead, rows.Named()};
}

}  // namespace glysnmp
