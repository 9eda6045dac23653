// SNMP requests and answers in the exchange trace (exchange_trace.h): the
// message type, version, the community masked or the v3 user, and each
// variable with its value as the printer gave it.
#pragma once

#include <cstddef>
#include <cstdint>

struct snmp_session;
struct snmp_pdu;

namespace glysnmp {

void TraceSnmpRequest(const snmp_session* session, const snmp_pdu* request);
// `answer` null: none came, and `failure` (a kSnmp result) tells why.
void TraceSnmpAnswer(const snmp_session* session, const snmp_pdu* answer, int32_t failure);
// An answer decoded elsewhere, of `bytes` bytes.
void TraceSnmpAnswerSize(const snmp_session* session, size_t bytes, int32_t failure);

}  // namespace glysnmp
