#include "snmp_trace.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <string>

#include "exchange_trace.h"
#include "glysnmp.h"

namespace glysnmp {
namespace {

std::string FailureText(int32_t failure) {
  if (failure == kSnmpNoAnswer) return "none: no answer";
  if (failure == kSnmpMalformedAnswer) return "none: only answers that could not be read";
  return "none: result " + std::to_string(failure);
}

// "udp:192.0.2.7:161" as "192.0.2.7:161".
std::string PeerOf(const snmp_session* session) {
  std::string peer = session != nullptr && session->peername != nullptr ? session->peername : "?";
  if (peer.rfind("udp:", 0) == 0) peer.erase(0, 4);
  return peer;
}

const char* CommandName(int command) {
  switch (command) {
    case SNMP_MSG_GET: return "GET";
    case SNMP_MSG_GETNEXT: return "GETNEXT";
    case SNMP_MSG_GETBULK: return "GETBULK";
    case SNMP_MSG_SET: return "SET";
    case SNMP_MSG_RESPONSE: return "RESPONSE";
    case SNMP_MSG_REPORT: return "REPORT";
    default: return "PDU";
  }
}

std::string OidText(const oid* name, size_t length) {
  std::string text;
  for (size_t i = 0; i < length; ++i) text += (i == 0 ? "" : ".") + std::to_string(name[i]);
  return text;
}

std::string ValueText(const netsnmp_variable_list& variable) {
  switch (variable.type) {
    case ASN_NULL: return "";
    case ASN_OCTET_STR:
      return " = \"" + TraceText({reinterpret_cast<const char*>(variable.val.string), variable.val_len}) + '"';
    case ASN_INTEGER: return " = " + std::to_string(*variable.val.integer);
    case ASN_COUNTER:
    case ASN_GAUGE:
    case ASN_TIMETICKS: return " = " + std::to_string(static_cast<unsigned long>(*variable.val.integer));
    case ASN_OBJECT_ID: return " = " + OidText(variable.val.objid, variable.val_len / sizeof(oid));
    case SNMP_NOSUCHOBJECT: return " = noSuchObject";
    case SNMP_NOSUCHINSTANCE: return " = noSuchInstance";
    case SNMP_ENDOFMIBVIEW: return " = endOfMibView";
    default: return " = (type " + std::to_string(variable.type) + ", " + std::to_string(variable.val_len) + " bytes)";
  }
}

std::string VariablesText(const snmp_pdu& pdu) {
  std::string text;
  for (const netsnmp_variable_list* v = pdu.variables; v != nullptr; v = v->next_variable)
    text += ' ' + OidText(v->name, v->name_length) + ValueText(*v);
  return text;
}

// Who asks: the community is a password and never shown.
std::string CredentialsText(const snmp_session& session) {
  if (session.version == SNMP_VERSION_3)
    return " v3 user=" + TraceText({session.securityName != nullptr ? session.securityName : "",
                                    session.securityNameLen});
  return std::string(session.version == SNMP_VERSION_1 ? " v1" : " v2c") + " community=" + kTraceMask;
}

}  // namespace

void TraceSnmpRequest(const snmp_session* session, const snmp_pdu* request) {
  if (!Tracing(TraceProtocol::kSnmp) || session == nullptr || request == nullptr) return;
  std::string text = CommandName(request->command);
  if (request->command == SNMP_MSG_GETBULK)
    text += " non-repeaters=" + std::to_string(request->errstat) + " max-repetitions=" + std::to_string(request->errindex);
  TraceExchange(TraceProtocol::kSnmp, PeerOf(session), '>', text + CredentialsText(*session) + VariablesText(*request));
}

void TraceSnmpAnswer(const snmp_session* session, const snmp_pdu* answer, int32_t failure) {
  if (!Tracing(TraceProtocol::kSnmp)) return;
  if (answer == nullptr) {
    TraceExchange(TraceProtocol::kSnmp, PeerOf(session), '<', FailureText(failure));
    return;
  }
  std::string text = CommandName(answer->command);
  if (answer->errstat != 0)
    text += " error-status=" + std::to_string(answer->errstat) + " error-index=" + std::to_string(answer->errindex);
  TraceExchange(TraceProtocol::kSnmp, PeerOf(session), '<', text + VariablesText(*answer));
}

void TraceSnmpAnswerSize(const snmp_session* session, size_t bytes, int32_t failure) {
  if (!Tracing(TraceProtocol::kSnmp)) return;
  TraceExchange(TraceProtocol::kSnmp, PeerOf(session), '<',
                failure == kSnmpOk ? "RESPONSE " + std::to_string(bytes) + " bytes"
                                   : FailureText(failure));
}

}  // namespace glysnmp
