#include "table_walk.h"

#include <algorithm>
#include <map>

#include "answer_values.h"

namespace glysnmp {
namespace {

struct ColumnCursor {
  Oid position;
  size_t visited = 0;
  bool ended = false;
  long repetitions = kBulkRepetitions;
};

Pdu NextRequest(const Session& session, const std::vector<ColumnCursor>& cursors, const std::vector<size_t>& asked) {
  std::vector<Oid> names;
  long repetitions = kBulkRepetitions;
  for (size_t column : asked) {
    names.push_back(cursors[column].position);
    repetitions = std::min(repetitions, cursors[column].repetitions);
  }
  if (session.version() == SnmpVersion::kV1) return MakeRequest(SNMP_MSG_GETNEXT, names);
  Pdu request = MakeRequest(SNMP_MSG_GETBULK, names);
  request->non_repeaters = 0;
  request->max_repetitions = repetitions;
  return request;
}

// What the walk takes from an answer, wherever it was decoded.
struct Answer {
  long errstat = SNMP_ERR_NOERROR;
  long errindex = 0;
  const netsnmp_variable_list* variables = nullptr;
};

enum class Step {
  kGoOn,     // ask again for the columns not ended
  kStopped,  // the visitor wanted no more
  kRefused,
};

// Moves the cursors of the `asked` columns along `answer`, visiting each
// new instance.
Step Follow(const Answer& answer, SnmpVersion version, const std::vector<Oid>& columns, const std::vector<size_t>& asked,
            std::vector<ColumnCursor>& cursors, const ColumnVisitor& visit) {
  // An agent with a small message size asks for fewer rows at a time.
  if (answer.errstat == SNMP_ERR_TOOBIG && version != SnmpVersion::kV1 && cursors[asked[0]].repetitions > 1) {
    for (size_t column : asked) cursors[column].repetitions /= 2;
    return Step::kGoOn;
  }
  if (answer.errstat == SNMP_ERR_NOSUCHNAME && version == SnmpVersion::kV1) {
    // v1 ends the walk of the one column the agent names; an index out of
    // range ends them all, since the agent gave nothing to go on.
    long named = answer.errindex;
    if (named >= 1 && static_cast<size_t>(named) <= asked.size()) {
      cursors[asked[named - 1]].ended = true;
    } else {
      for (size_t column : asked) cursors[column].ended = true;
    }
    return Step::kGoOn;
  }
  if (answer.errstat != SNMP_ERR_NOERROR) return Step::kRefused;

  bool moved = false;
  size_t position = 0;
  for (const netsnmp_variable_list* value = answer.variables; value != nullptr;
       value = value->next_variable, ++position) {
    size_t column = asked[position % asked.size()];
    ColumnCursor& cursor = cursors[column];
    if (cursor.ended) continue;
    bool forward =
        snmp_oid_compare(value->name, value->name_length, cursor.position.data(), cursor.position.size()) > 0;
    if (IsException(*value) || !forward || !IsUnder(value->name, value->name_length, columns[column]) ||
        cursor.visited == kMostRows) {
      cursor.ended = true;
      continue;
    }
    cursor.position.assign(value->name, value->name + value->name_length);
    ++cursor.visited;
    moved = true;
    if (!visit(column, *value)) return Step::kStopped;
  }
  // An answer without a single usable binding would be asked again
  // forever.
  if (!moved) {
    for (size_t column : asked) cursors[column].ended = true;
  }
  return Step::kGoOn;
}

// v1 and v3: one request at a time through net-snmp's session, asking for
// every column not ended.
WalkEnd WalkInTurn(Session& session, const std::vector<Oid>& columns, std::vector<ColumnCursor>& cursors,
                   const ColumnVisitor& visit) {
  for (;;) {
    std::vector<size_t> asked;
    for (size_t i = 0; i < cursors.size(); ++i) {
      if (!cursors[i].ended) asked.push_back(i);
    }
    if (asked.empty()) return WalkEnd::kComplete;
    Pdu answer = session.Exchange(NextRequest(session, cursors, asked));
    if (!answer) return WalkEnd::kSilent;
    switch (Follow({answer->errstat, answer->errindex, answer->variables}, session.version(), columns, asked, cursors,
                   visit)) {
      case Step::kGoOn: break;
      case Step::kStopped: return WalkEnd::kComplete;
      case Step::kRefused: return WalkEnd::kRefused;
    }
  }
}

// v2c: the first request asks for every column, as a short table then
// takes one round trip and a silent agent one time-out; after it each
// column not ended has a request of its own in flight, so that the agent
// answers them side by side and a long table takes the round trips of its
// longest column rather than of all its columns together. Answers are
// decoded into one buffer for the whole walk, so that a long walk does not
// allocate and free every answer.
WalkEnd WalkSideBySide(Session& session, const std::vector<Oid>& columns, std::vector<ColumnCursor>& cursors,
                       const ColumnVisitor& visit) {
  // However the walk ends, the requests it left in flight are forgotten, so
  // that the session only ever awaits this walk's own.
  struct Abandoning {
    Session& session;
    ~Abandoning() { session.Abandon(); }
  } abandoning{session};
  AnswerBuffer buffer;
  std::map<int32_t, std::vector<size_t>> askedBy;  // the columns by request id
  const auto ask = [&](std::vector<size_t> asked) {
    std::optional<int32_t> id = session.Send(NextRequest(session, cursors, asked));
    if (id) askedBy[*id] = std::move(asked);
    return id.has_value();
  };
  std::vector<size_t> every(cursors.size());
  for (size_t column = 0; column < every.size(); ++column) every[column] = column;
  if (!ask(every)) return WalkEnd::kSilent;
  while (!askedBy.empty()) {
    std::optional<int32_t> id = session.AwaitAnswer(buffer);
    if (!id) return WalkEnd::kSilent;
    const auto answered = askedBy.find(*id);
    const std::vector<size_t> asked = std::move(answered->second);
    askedBy.erase(answered);
    switch (Follow({buffer.errstat(), buffer.errindex(), buffer.variables()}, session.version(), columns, asked,
                   cursors, visit)) {
      case Step::kGoOn: break;
      case Step::kStopped: return WalkEnd::kComplete;
      case Step::kRefused: return WalkEnd::kRefused;
    }
    for (size_t column : asked) {
      if (!cursors[column].ended && !ask({column})) return WalkEnd::kSilent;
    }
  }
  return WalkEnd::kComplete;
}

}  // namespace

WalkEnd WalkColumns(Session& session, const std::vector<Oid>& columns, std::optional<int32_t> afterIndex,
                    const ColumnVisitor& visit) {
  std::vector<ColumnCursor> cursors(columns.size());
  for (size_t i = 0; i < columns.size(); ++i) {
    cursors[i].position = columns[i];
    if (afterIndex && *afterIndex >= 0) cursors[i].position.push_back(static_cast<oid>(*afterIndex));
  }
  if (session.version() == SnmpVersion::kV2c) return WalkSideBySide(session, columns, cursors, visit);
  return WalkInTurn(session, columns, cursors, visit);
}

}  // namespace glysnmp
