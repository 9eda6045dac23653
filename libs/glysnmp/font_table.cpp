#include "font_table.h"

#include <map>

#include "answer_values.h"
#include "table_walk.h"

namespace glysnmp {
namespace {

// Order of the columns asked for.
enum Column : size_t { kName, kPclId, kLocation, kType, kPersistence };

struct Row {
  FontEntry entry{};
  bool named = false;
};

// An empty walk leaves open whether the table is empty or not there.
bool HasFontTable(Session& session) {
  Pdu answer = session.Exchange(MakeRequest(SNMP_MSG_GET, {oids::kFontCount}));
  return answer && answer->errstat == SNMP_ERR_NOERROR && answer->variables != nullptr &&
         !IsException(*answer->variables);
}

}  // namespace

std::optional<std::vector<FontEntry>> ReadFontTable(Session& session, std::optional<int32_t> afterIndex) {
  const std::vector<Oid> columns = {oids::kFontName, oids::kFontPclId, oids::kFontLocation, oids::kFontType,
                                    oids::kFontPersistence};
  std::map<int32_t, Row> rows;
  bool complete = WalkColumns(session, columns, afterIndex, [&](size_t column, const netsnmp_variable_list& value) {
    std::optional<int32_t> index = RowIndex(value, columns[column].size());
    if (!index || (afterIndex && *index <= *afterIndex)) return true;
    auto [at, added] = rows.try_emplace(*index);
    FontEntry& entry = at->second.entry;
    if (added) {
      entry.index = *index;
      entry.fontId = kNoFontId;
    }
    if (column == kName) {
      at->second.named = ReadText(value, entry.name);
      return true;
    }
    std::optional<int32_t> number = ReadInteger(value);
    if (!number) return true;
    switch (column) {
      case kPclId: entry.fontId = *number; break;
      case kLocation: entry.location = *number; break;
      case kType: entry.fontType = *number; break;
      case kPersistence: entry.persistence = *number; break;
      default: break;
    }
    return true;
  });
  if (!complete || (rows.empty() && !HasFontTable(session))) return std::nullopt;
  std::vector<FontEntry> fonts;
  fonts.reserve(rows.size());
  for (const auto& [index, row] : rows) {
    if (row.named) fonts.push_back(row.entry);
  }
  return fonts;
}

}  // namespace glysnmp
