#include "table_walk.h"

#include "answer_values.h"

namespace glysnmp {
namespace {

struct ColumnCursor {
  Oid position;
  size_t visited = 0;
  bool ended = false;
};

Pdu NextRequest(const Session& session, const std::vector<ColumnCursor>& cursors, const std::vector<size_t>& asked,
                long repetitions) {
  std::vector<Oid> names;
  for (size_t column : asked) names.push_back(cursors[column].position);
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

// v2c answers are decoded into one buffer for the whole walk, so that a
// long walk does not allocate and free every answer; v1 and v3 answers
// come through net-snmp's session.
class Exchanger {
 public:
  explicit Exchanger(Session& session) : session_(session) {}

  std::optional<Answer> Exchange(Pdu request) {
    if (session_.version() == SnmpVersion::kV2c) {
      if (!session_.ExchangeInto(std::move(request), buffer_)) return std::nullopt;
      return Answer{buffer_.errstat(), buffer_.errindex(), buffer_.variables()};
    }
    pdu_ = session_.Exchange(std::move(request));
    if (!pdu_) return std::nullopt;
    return Answer{pdu_->errstat, pdu_->errindex, pdu_->variables};
  }

 private:
  Session& session_;
  AnswerBuffer buffer_;
  Pdu pdu_;
};

}  // namespace

WalkEnd WalkColumns(Session& session, const std::vector<Oid>& columns, std::optional<int32_t> afterIndex,
                    const ColumnVisitor& visit) {
  std::vector<ColumnCursor> cursors(columns.size());
  for (size_t i = 0; i < columns.size(); ++i) {
    cursors[i].position = columns[i];
    if (afterIndex && *afterIndex >= 0) cursors[i].position.push_back(static_cast<oid>(*afterIndex));
  }
  long repetitions = kBulkRepetitions;
  Exchanger exchanger(session);
  for (;;) {
    std::vector<size_t> asked;
    for (size_t i = 0; i < cursors.size(); ++i) {
      if (!cursors[i].ended) asked.push_back(i);
    }
    if (asked.empty()) return WalkEnd::kComplete;
    std::optional<Answer> answer = exchanger.Exchange(NextRequest(session, cursors, asked, repetitions));
    if (!answer) return WalkEnd::kSilent;
    // An agent with a small message size asks for fewer rows at a time.
    if (answer->errstat == SNMP_ERR_TOOBIG && session.version() != SnmpVersion::kV1 && repetitions > 1) {
      repetitions /= 2;
      continue;
    }
    if (answer->errstat == SNMP_ERR_NOSUCHNAME && session.version() == SnmpVersion::kV1) {
      // v1 ends the walk of the one column the agent names; an index out of
      // range ends them all, since the agent gave nothing to go on.
      long named = answer->errindex;
      if (named >= 1 && static_cast<size_t>(named) <= asked.size()) {
        cursors[asked[named - 1]].ended = true;
      } else {
        for (size_t column : asked) cursors[column].ended = true;
      }
      continue;
    }
    if (answer->errstat != SNMP_ERR_NOERROR) return WalkEnd::kRefused;

    bool moved = false;
    size_t position = 0;
    for (const netsnmp_variable_list* value = answer->variables; value != nullptr;
         value = value->next_variable, ++position) {
      size_t column = asked[position % asked.size()];
      ColumnCursor& cursor = cursors[column];
      if (cursor.ended) continue;
      bool forward = snmp_oid_compare(value->name, value->name_length, cursor.position.data(),
                                      cursor.position.size()) > 0;
      if (IsException(*value) || !forward || !IsUnder(value->name, value->name_length, columns[column]) ||
          cursor.visited == kMostRows) {
        cursor.ended = true;
        continue;
      }
      cursor.position.assign(value->name, value->name + value->name_length);
      ++cursor.visited;
      moved = true;
      if (!visit(column, *value)) return WalkEnd::kComplete;
    }
    // An answer without a single usable binding would be asked again
    // forever.
    if (!moved) {
      for (size_t column : asked) cursors[column].ended = true;
    }
  }
}

}  // namespace glysnmp
