// SNMP v1/v2c messages in BER: decoding a request datagram and encoding a
// response. Only what an agent needs: the message frame, the five request
// PDUs and the value types of RFC 2578 with the v2c exception values.
//
// The decoder reads untrusted bytes: it checks every length against the
// bytes that remain and refuses (returns false) anything it cannot read
// whole, so a caller can simply drop such a datagram.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace printer_sim {

using Oid = std::vector<uint32_t>;

enum ValueTag : uint8_t {
  kTagInteger = 0x02,
  kTagOctetString = 0x04,
  kTagNull = 0x05,
  kTagObjectId = 0x06,
  kTagIpAddress = 0x40,
  kTagCounter32 = 0x41,
  kTagGauge32 = 0x42,
  kTagTimeTicks = 0x43,
  kTagOpaque = 0x44,
  kTagCounter64 = 0x46,
  kTagNoSuchObject = 0x80,
  kTagNoSuchInstance = 0x81,
  kTagEndOfMibView = 0x82,
};

enum PduType : uint8_t {
  kPduGet = 0xA0,
  kPduGetNext = 0xA1,
  kPduResponse = 0xA2,
  kPduSet = 0xA3,
  kPduGetBulk = 0xA5,
};

enum SnmpVersion : int32_t { kSnmpV1 = 0, kSnmpV2c = 1 };

// error-status values (RFC 3416).
enum SnmpError : int32_t {
  kNoError = 0,
  kTooBig = 1,
  kNoSuchName = 2,
  kBadValue = 3,
  kGenErr = 5,
  kNoAccess = 6,
  kWrongType = 7,
  kWrongLength = 8,
  kWrongValue = 10,
  kNoCreation = 11,
  kInconsistentValue = 12,
  kNotWritable = 17,
};

// One value. Integers of every kind live in `number` (signed INTEGER values
// as their two's complement), strings and IP addresses in `bytes`.
struct Value {
  uint8_t tag = kTagNull;
  uint64_t number = 0;
  std::string bytes;
  Oid oid;

  static Value Integer(int64_t v) { return {kTagInteger, static_cast<uint64_t>(v), {}, {}}; }
  static Value Unsigned(uint8_t tag, uint64_t v) { return {tag, v, {}, {}}; }
  static Value Text(std::string text) { return {kTagOctetString, 0, std::move(text), {}}; }
  static Value ObjectId(Oid oid) { return {kTagObjectId, 0, {}, std::move(oid)}; }
  static Value Exception(uint8_t tag) { return {tag, 0, {}, {}}; }
  int64_t Signed() const { return static_cast<int64_t>(number); }
};

struct VarBind {
  Oid name;
  Value value;
};

// A whole message. For GETBULK, errorStatus holds non-repeaters and
// errorIndex max-repetitions, as on the wire.
struct SnmpMessage {
  int32_t version = kSnmpV2c;
  std::string community;
  uint8_t pduType = kPduGet;
  int32_t requestId = 0;
  int32_t errorStatus = 0;
  int32_t errorIndex = 0;
  std::vector<VarBind> varBinds;
};

inline constexpr size_t kMostOidParts = 128;
inline constexpr size_t kMostVarBinds = 512;

bool DecodeMessage(const uint8_t* data, size_t size, SnmpMessage& message);
std::string EncodeMessage(const SnmpMessage& message);
// The encoded size of one variable binding.
size_t EncodedSize(const VarBind& varBind);

// "1.3.6.1.2.1.1.1.0" (a leading dot is accepted) to parts and back.
bool ParseOid(std::string_view dotted, Oid& oid);
std::string OidText(const Oid& oid);
// `prefix` followed by `rest`.
Oid Join(const Oid& prefix, std::initializer_list<uint32_t> rest);

}  // namespace printer_sim
