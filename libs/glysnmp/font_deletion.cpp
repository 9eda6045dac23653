#include "font_deletion.h"

#include "answer_values.h"

namespace glysnmp {

bool RequestFontDeletion(Session& session, int32_t index) {
  if (index < 0) return false;
  Oid name = Join(oids::kFontDelete, {static_cast<oid>(index)});
  Pdu request(snmp_pdu_create(SNMP_MSG_SET));
  long value = oids::kFontDeleteRequested;
  snmp_pdu_add_variable(request.get(), name.data(), name.size(), ASN_INTEGER, &value, sizeof value);
  Pdu answer = session.Exchange(std::move(request));
  return answer && answer->command == SNMP_MSG_RESPONSE && answer->errstat == SNMP_ERR_NOERROR;
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
