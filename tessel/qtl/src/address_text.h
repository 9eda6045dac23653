// The text forms of network addresses: the syntax check that guards them
// and the conversion into a NetAddress. Host tables are read through the
// same functions as QTLStringToNetAddr.
#pragma once

#include <cstdint>

#include "tessel/qtl.h"

namespace tessel::qtl {

// Address formats, as information item QTLINFO_ADDRESS_FAMILY gives them.
enum AddressFormat : uint32_t {
  kNoAddressFormat = 0,
  kIpFormat = 1,
  kIpxFormat = 2,
  kNetbiosFormat = 0x10,
};

// The address format of a protocol; kNoAddressFormat for a protocol
// without addresses.
uint32_t AddressFamily(uint32_t protocol);

// Dotted decimal: digits only, at most 3 per group, exactly three dots.
bool IsIpText(const char* text);
// Network and node in hexadecimal around exactly one dot: at most 8 digits
// before it and 12 after, letters counted like digits.
bool IsIpxText(const char* text);
// The syntax check of QTLStringToNetAddr for `protocol`: IPX and SPX take
// the IPX form, NetBIOS hexadecimal names without a dot, every other
// protocol the IP form.
bool PassesSyntaxCheck(const char* text, uint32_t protocol);

// Zeroes `out`, stores `protocol` and converts `text` without checking it;
// whatever the text, nothing outside `out` is written. QTLERR_NOT_SUPPORTED
// for a protocol without a text form.
int32_t TextToAddress(const char* text, uint32_t protocol, NetAddress& out);

}  // namespace tessel::qtl
