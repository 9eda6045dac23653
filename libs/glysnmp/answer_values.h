// Values taken from an agent's answer, which nothing vouches for: each
// reader checks the value's type and size and writes only within the
// field it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "net_snmp.h"
#include "oids.h"

namespace glysnmp {

// True for the v2c exceptions noSuchObject, noSuchInstance, endOfMibView.
bool IsException(const netsnmp_variable_list& value);

// An OCTET STRING copied into `field` up to its first NUL, cut to
// fieldSize - 1 bytes and NUL-terminated. Any other type leaves `field`
// an empty text and gives false.
bool ReadText(const netsnmp_variable_list& value, char* field, size_t fieldSize);
template <size_t N>
bool ReadText(const netsnmp_variable_list& value, char (&field)[N]) {
  return ReadText(value, field, N);
}

// An OBJECT IDENTIFIER as dotted numbers without a leading dot, cut to
// fieldSize - 1 bytes and NUL-terminated; otherwise as ReadText.
bool ReadOidText(const netsnmp_variable_list& value, char* field, size_t fieldSize);
template <size_t N>
bool ReadOidText(const netsnmp_variable_list& value, char (&field)[N]) {
  return ReadOidText(value, field, N);
}

// True when the value is the OBJECT IDENTIFIER `expected`.
bool HoldsOid(const netsnmp_variable_list& value, const Oid& expected);

// An INTEGER that fits 32 bits.
std::optional<int32_t> ReadInteger(const netsnmp_variable_list& value);

// The row index of a table column instance `column`.index: one sub-identifier
// from 0 to INT32_MAX. Other instances (several sub-identifiers, indexes
// that would turn negative) have none.
std::optional<int32_t> RowIndex(const netsnmp_variable_list& value, size_t columnLength);

}  // namespace glysnmp
