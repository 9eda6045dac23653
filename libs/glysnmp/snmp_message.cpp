#include "snmp_message.h"

namespace glysnmp {
namespace {

// BER: definite lengths, minimal integers, base-128 sub-identifiers.
std::string Length(size_t length) {
  if (length < 0x80) return std::string(1, static_cast<char>(length));
  std::string bytes;
  for (; length > 0; length >>= 8) bytes.insert(bytes.begin(), static_cast<char>(length & 0xff));
  return static_cast<char>(0x80 | bytes.size()) + bytes;
}

std::string Tlv(uint8_t tag, const std::string& content) {
  return static_cast<char>(tag) + Length(content.size()) + content;
}

std::string Integer(int32_t value) {
  std::string bytes;
  auto number = static_cast<uint32_t>(value);
  for (int i = 3; i >= 0; --i) bytes += static_cast<char>((number >> (8 * i)) & 0xff);
  // Leading bytes that only repeat the sign bit go.
  while (bytes.size() > 1 && ((bytes[0] == 0 && (bytes[1] & 0x80) == 0) ||
                              (bytes[0] == '\xff' && (bytes[1] & 0x80) != 0))) {
    bytes.erase(0, 1);
  }
  return Tlv(ASN_INTEGER, bytes);
}

void SubIdentifier(std::string& bytes, uint64_t value) {
  std::string digits(1, static_cast<char>(value & 0x7f));
  for (value >>= 7; value > 0; value >>= 7) digits.insert(digits.begin(), static_cast<char>(0x80 | (value & 0x7f)));
  bytes += digits;
}

std::string ObjectId(const oid* name, size_t length) {
  std::string bytes;
  if (length >= 2) {
    SubIdentifier(bytes, name[0] * 40 + name[1]);
    for (size_t i = 2; i < length; ++i) SubIdentifier(bytes, name[i]);
  }
  return Tlv(ASN_OBJECT_ID, bytes);
}

std::string Text(const std::string& bytes) { return Tlv(ASN_OCTET_STR, bytes); }

std::string Sequence(const std::string& content) { return Tlv(ASN_SEQUENCE | ASN_CONSTRUCTOR, content); }

// msgFlags: no authentication, no privacy, a report is wanted.
constexpr char kReportableFlag = 0x04;
// The largest message this side takes: a UDP datagram's payload.
constexpr int32_t kMostMessageSize = 65507;

}  // namespace

std::string EncodeV3EngineProbe(int32_t messageId) {
  std::string header = Integer(messageId) + Integer(kMostMessageSize) + Text(std::string(1, kReportableFlag)) +
                       Integer(SNMP_SEC_MODEL_USM);
  // Engine ID, boots, time, user, authentication and privacy parameters:
  // all empty or zero, as the agent's are not known yet.
  std::string security = Sequence(Text("") + Integer(0) + Integer(0) + Text("") + Text("") + Text(""));
  std::string pdu = Integer(messageId) + Integer(0) + Integer(0) + Sequence("");
  std::string scoped = Sequence(Text("") + Text("") + Tlv(SNMP_MSG_GET, pdu));
  return Sequence(Integer(SNMP_VERSION_3) + Sequence(header) + Text(security) + scoped);
}

std::optional<int32_t> DecodeV3MessageId(const uint8_t* data, size_t size) {
  // net-snmp's parsers take a writable pointer but do not write through it.
  auto* at = const_cast<u_char*>(data);
  size_t left = size;
  u_char type = 0;
  at = asn_parse_sequence(at, &left, &type, ASN_SEQUENCE | ASN_CONSTRUCTOR, "message");
  long version = -1;
  if (at != nullptr) at = asn_parse_int(at, &left, &type, &version, sizeof version);
  if (at == nullptr || type != ASN_INTEGER || version != SNMP_VERSION_3) return std::nullopt;
  at = asn_parse_sequence(at, &left, &type, ASN_SEQUENCE | ASN_CONSTRUCTOR, "header");
  long messageId = -1;
  if (at != nullptr) at = asn_parse_int(at, &left, &type, &messageId, sizeof messageId);
  if (at == nullptr || type != ASN_INTEGER || messageId < 0 || messageId > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(messageId);
}

std::string EncodeV2cRequest(const netsnmp_pdu& request, const std::string& community, int32_t requestId) {
  std::string bindings;
  for (const netsnmp_variable_list* value = request.variables; value != nullptr; value = value->next_variable) {
    bindings += Tlv(ASN_SEQUENCE | ASN_CONSTRUCTOR, ObjectId(value->name, value->name_length) + Tlv(ASN_NULL, ""));
  }
  std::string pdu = Integer(requestId) + Integer(0) + Integer(0) + Tlv(ASN_SEQUENCE | ASN_CONSTRUCTOR, bindings);
  std::string message = Integer(SNMP_VERSION_2c) + Tlv(ASN_OCTET_STR, community) +
                        Tlv(static_cast<uint8_t>(request.command), pdu);
  return Tlv(ASN_SEQUENCE | ASN_CONSTRUCTOR, message);
}

Pdu DecodeV2cMessage(const uint8_t* data, size_t size) {
  u_char community[256];
  size_t communityLength = sizeof community;
  long version = -1;
  size_t left = size;
  u_char* pduBytes = snmp_comstr_parse(const_cast<u_char*>(data), &left, community, &communityLength, &version);
  if (pduBytes == nullptr || version != SNMP_VERSION_2c) return nullptr;
  Pdu pdu(snmp_pdu_create(SNMP_MSG_RESPONSE));
  if (!pdu) return nullptr;
  pdu->version = version;
  if (snmp_pdu_parse(pdu.get(), pduBytes, &left) != 0) return nullptr;
  return pdu;
}

}  // namespace glysnmp
