#include "font_deletion.h"

#include "answer_values.h"

namespace glysnmp {

DeletionRequest RequestFontDeletion(Session& session, int32_t index) {
  if (index < 0) return DeletionRequest::kRefused;
  Oid name = Join(oids::kFontDelete, {static_cast<oid>(index)});
  Pdu request(snmp_pdu_create(SNMP_MSG_SET));
  long value = oids::kFontDeleteRequested;
  snmp_pdu_add_variable(request.get(), name.data(), name.size(), ASN_INTEGER, &value, sizeof value);
  Pdu answer = session.Exchange(std::move(request));
  if (!answer || answer->command != SNMP_MSG_RESPONSE) return DeletionRequest::kNoAnswer;
  // An agent that took the value answers with it, as set.
  const netsnmp_variable_list* set = answer->variables;
  const bool echoed = set != nullptr && set->next_variable == nullptr &&
                      snmp_oid_compare(set->name, set->name_length, name.data(), name.size()) == 0 &&
                      ReadInteger(*set) == value;
  return answer->errstat == SNMP_ERR_NOERROR && echoed ? DeletionRequest::kAccepted : DeletionRequest::kRefused;
}

DeletionState QueryFontDeletion(Session& session, int32_t index) {
  if (index < 0) return DeletionState::kNoAnswer;
  Oid name = Join(oids::kFontStatus, {static_cast<oid>(index)});
  Pdu answer = session.Exchange(MakeRequest(SNMP_MSG_GET, {name}));
  if (!answer || answer->command != SNMP_MSG_RESPONSE) return DeletionState::kNoAnswer;
  // v1 says a missing row with noSuchName, v2c with an exception value.
  if (session.version() == SnmpVersion::kV1 && answer->errstat == SNMP_ERR_NOSUCHNAME) {
    return DeletionState::kDeleted;
  }
  if (answer->errstat != SNMP_ERR_NOERROR || answer->variables == nullptr) return DeletionState::kNoAnswer;
  const netsnmp_variable_list& status = *answer->variables;
  if (snmp_oid_compare(status.name, status.name_length, name.data(), name.size()) != 0) {
    return DeletionState::kNoAnswer;
  }
  if (status.type == SNMP_NOSUCHINSTANCE || status.type == SNMP_NOSUCHOBJECT) return DeletionState::kDeleted;
  return DeletionState::kPending;
}

}  // namespace glysnmp
