#include "answer_values.h"

#include <cstdio>
#include <cstring>

namespace glysnmp {

bool IsException(const netsnmp_variable_list& value) {
  return value.type == SNMP_NOSUCHOBJECT || value.type == SNMP_NOSUCHINSTANCE ||
         value.type == SNMP_ENDOFMIBVIEW;
}

bool ReadText(const netsnmp_variable_list& value, char* field, size_t fieldSize) {
  if (fieldSize == 0) return false;
  field[0] = '\0';
  if (value.type != ASN_OCTET_STR || (value.val.string == nullptr && value.val_len != 0)) return false;
  size_t length = value.val_len < fieldSize - 1 ? value.val_len : fieldSize - 1;
  if (length > 0) {
    const void* nul = std::memchr(value.val.string, '\0', length);
    if (nul != nullptr) length = static_cast<size_t>(static_cast<const u_char*>(nul) - value.val.string);
    std::memcpy(field, value.val.string, length);
  }
  field[length] = '\0';
  return true;
}

bool ReadOidText(const netsnmp_variable_list& value, char* field, size_t fieldSize) {
  if (fieldSize == 0) return false;
  field[0] = '\0';
  if (value.type != ASN_OBJECT_ID || value.val.objid == nullptr) return false;
  size_t count = value.val_len / sizeof(oid);
  size_t used = 0;
  for (size_t i = 0; i < count && used + 1 < fieldSize; ++i) {
    int written = std::snprintf(field + used, fieldSize - used, i == 0 ? "%lu" : ".%lu",
                                static_cast<unsigned long>(value.val.objid[i]));
    if (written < 0) break;
    // snprintf cut the number short and NUL-terminated the field.
    if (static_cast<size_t>(written) >= fieldSize - used) break;
    used += static_cast<size_t>(written);
  }
  return true;
}

bool HoldsOid(const netsnmp_variable_list& value, const Oid& expected) {
  return value.type == ASN_OBJECT_ID && value.val.objid != nullptr &&
         snmp_oid_compare(value.val.objid, value.val_len / sizeof(oid), expected.data(), expected.size()) == 0;
}

std::optional<int32_t> ReadInteger(const netsnmp_variable_list& value) {
  if (value.type != ASN_INTEGER || value.val.integer == nullptr || value.val_len != sizeof(long)) {
    return std::nullopt;
  }
  long number = *value.val.integer;
  if (number < INT32_MIN || number > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(number);
}

std::optional<int32_t> RowIndex(const netsnmp_variable_list& value, size_t columnLength) {
  if (value.name == nullptr || value.name_length != columnLength + 1) return std::nullopt;
  oid index = value.name[columnLength];
  if (index > static_cast<oid>(INT32_MAX)) return std::nullopt;
  return static_cast<int32_t>(index);
}

}  // namespace glysnmp
