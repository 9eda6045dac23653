// The printer's font table (glyFontTable) read into FontEntry records.
#pragma once

#include <map>
#include <optional>
#include <vector>

#include "glysnmp.h"
#include "snmp_session.h"

namespace glysnmp {

// The columns read, in the order they are asked for.
const std::vector<Oid>& FontColumns();

// Rows gathered from column values as they come. Values of rows without a
// usable index are dropped; a column a row lacks, or that holds a value of
// the wrong type, keeps its "unknown" code (kNoFontId, 0).
class FontRows {
 public:
  void Add(size_t column, const netsnmp_variable_list& value);
  // The rows that have a name, in index order.
  std::vector<FontEntry> Named() const;
  bool empty() const { return rows_.empty(); }

 private:
  struct Row {
    FontEntry entry{};
    bool named = false;
  };
  std::map<int32_t, Row> rows_;
};

// True when the printer has the font table (its glyFontCount answers); an
// empty walk alone leaves open whether the table is empty or not there.
bool HasFontTable(Session& session);

struct FontTableRead {
  enum State {
    kRead,
    kAbsent,    // the agent refused the walk or has no font table at all
    kNoAnswer,  // it stopped answering: there is no printer to ask otherwise
  } state = kNoAnswer;
  std::vector<FontEntry> fonts;  // when read, in index order
};

// The fonts starting after the font `afterIndex` when given.
FontTableRead ReadFontTable(Session& session, std::optional<int32_t> afterIndex);

}  // namespace glysnmp
