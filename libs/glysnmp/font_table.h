// The printer's font table (glyFontTable) read into FontEntry records.
#pragma once

#include <optional>
#include <vector>

#include "snmp/glysnmp.h"
#include "snmp_session.h"

namespace glysnmp {

// The fonts in index order, starting after the font `afterIndex` when
// given; nullopt when the agent stopped answering, refused the walk, or
// has no font table at all.
// Rows without a name are left out; columns a row lacks, or that hold a
// value of the wrong type, keep the "unknown" codes (no PCL ID, 0).
std::optional<std::vector<FontEntry>> ReadFontTable(Session& session, std::optional<int32_t> afterIndex);

}  // namespace glysnmp
