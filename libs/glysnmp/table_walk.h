// Walks table columns side by side: GETBULK on v2c and v3, GETNEXT on v1.
// On v2c each column has a request of its own in flight.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "oids.h"
#include "snmp_session.h"

namespace glysnmp {

// Rows asked for per column and GETBULK request; halved while the agent answers that
// the answer would be too big.
inline constexpr long kBulkRepetitions = 64;
// No table this library reads has more rows; an agent that keeps answering
// beyond that is not followed further.
inline constexpr size_t kMostRows = 20000;

// Called for each instance found below columns[column]; return false to
// stop the walk.
using ColumnVisitor = std::function<bool(size_t column, const netsnmp_variable_list& value)>;

// How a walk ended. Only kComplete visited every row; after the other two
// the rows visited so far may be incomplete.
enum class WalkEnd {
  kComplete,
  kRefused,  // the agent answered a request with an error
  kSilent,   // a request went unanswered
};

// Visits the instances of every column in order, starting after the row
// `afterIndex` when given. A column ends at the first name outside it, at
// an exception value, at a name that does not move forward, or after
// kMostRows instances.
WalkEnd WalkColumns(Session& session, const std::vector<Oid>& columns, std::optional<int32_t> afterIndex,
                    const ColumnVisitor& visit);

}  // namespace glysnmp
