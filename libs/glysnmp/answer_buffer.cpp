#include "answer_buffer.h"

namespace glysnmp {

bool AnswerBuffer::DecodeValue(Value& value, u_char* bytes, size_t length) {
  netsnmp_variable_list& binding = value.binding;
  u_char type = 0;
  switch (binding.type) {
    case ASN_INTEGER:
      binding.val.integer = &value.integer;
      binding.val_len = sizeof value.integer;
      return asn_parse_int(bytes, &length, &type, &value.integer, sizeof value.integer) != nullptr;
    case ASN_COUNTER:
    case ASN_GAUGE:
    case ASN_TIMETICKS:
    case ASN_UINTEGER: {
      u_long number = 0;
      if (asn_parse_unsigned_int(bytes, &length, &type, &number, sizeof number) == nullptr) return false;
      value.integer = static_cast<long>(number);
      binding.val.integer = &value.integer;
      binding.val_len = sizeof value.integer;
      return true;
    }
    case ASN_COUNTER64:
      binding.val.counter64 = &value.counter;
      binding.val_len = sizeof value.counter;
      return asn_parse_unsigned_int64(bytes, &length, &type, &value.counter, sizeof value.counter) != nullptr;
    case ASN_OCTET_STR:
    case ASN_IPADDRESS:
    case ASN_OPAQUE: {
      // The contents as they lie in the message, without a copy.
      size_t header = length;
      u_char* contents = asn_parse_header(bytes, &header, &type);
      if (contents == nullptr) return false;
      binding.val.string = contents;
      binding.val_len = header;
      return true;
    }
    case ASN_OBJECT_ID: {
      size_t count = MAX_OID_LEN;
      if (asn_parse_objid(bytes, &length, &type, value.objid, &count) == nullptr) return false;
      binding.val.objid = value.objid;
      binding.val_len = count * sizeof(oid);
      return true;
    }
    default:
      // NULL and the v2c exceptions carry nothing; other types are kept
      // by their type alone.
      binding.val.string = nullptr;
      binding.val_len = 0;
      return true;
  }
}

bool AnswerBuffer::Decode(size_t size, const std::function<bool(int32_t)>& awaited) {
  count_ = 0;
  if (size > message_.size()) return false;
  size_t left = size;
  u_char type = 0;
  u_char* at = asn_parse_sequence(message_.data(), &left, &type, ASN_SEQUENCE | ASN_CONSTRUCTOR, "message");
  long version = -1;
  if (at != nullptr) at = asn_parse_int(at, &left, &type, &version, sizeof version);
  if (at == nullptr || version != SNMP_VERSION_2c) return false;
  u_char community[256];
  size_t communityLength = sizeof community;
  at = asn_parse_string(at, &left, &type, community, &communityLength);
  if (at != nullptr) at = asn_parse_header(at, &left, &type);
  if (at == nullptr || type != SNMP_MSG_RESPONSE) return false;
  long id = 0;
  at = asn_parse_int(at, &left, &type, &id, sizeof id);
  if (at != nullptr) at = asn_parse_int(at, &left, &type, &errstat_, sizeof errstat_);
  if (at != nullptr) at = asn_parse_int(at, &left, &type, &errindex_, sizeof errindex_);
  if (at != nullptr) at = asn_parse_sequence(at, &left, &type, ASN_SEQUENCE | ASN_CONSTRUCTOR, "varbinds");
  if (at == nullptr || id < INT32_MIN || id > INT32_MAX || !awaited(static_cast<int32_t>(id))) return false;
  requestId_ = static_cast<int32_t>(id);
  size_t count = 0;
  while (left > 0) {
    if (count == values_.size()) values_.emplace_back();
    Value& value = values_[count];
    netsnmp_variable_list& binding = value.binding;
    // Every field but the name's storage and the small-value buffer, which
    // the parsers fill as far as they need: clearing the whole binding
    // would write over a kilobyte per value of a walk.
    binding.next_variable = nullptr;
    binding.type = 0;
    binding.val.string = nullptr;
    binding.val_len = 0;
    binding.data = nullptr;
    binding.dataFreeHook = nullptr;
    binding.index = 0;
    binding.name = binding.name_loc;
    binding.name_length = MAX_OID_LEN;
    u_char* bytes = nullptr;
    size_t contentLength = 0;
    at = snmp_parse_var_op(at, binding.name, &binding.name_length, &binding.type, &contentLength, &bytes, &left);
    if (at == nullptr) return false;
    // The value's own header, checked already, bounds it; the message's
    // end bounds the parsers.
    if (!DecodeValue(value, bytes, static_cast<size_t>(message_.data() + size - bytes))) return false;
    ++count;
  }
  for (size_t i = 0; i + 1 < count; ++i) values_[i].binding.next_variable = &values_[i + 1].binding;
  count_ = count;
  return true;
}

}  // namespace glysnmp
