// The host tables of the profile store: one section per address family,
// keyed by the host name exactly as the caller wrote it.
#pragma once

#include <cstddef>

namespace tessel::qtl {

enum class HostTable {
  kIp,       // "IP Hosts": a dotted address or another host name
  kIpx,      // "IPX Hosts": an IPX address text
  kNetbios,  // "NBDG Hosts": a NetBIOS name
};

// Room for one table value with its terminator; a longer value counts as
// absent.
constexpr size_t kHostEntrySize = 100;

// Copies the value of `name` into `value` and returns true, or returns false
// when the table holds no usable value for it: no entry, a value that does
// not fit, or the table's absent marker ("IP Hosts": any value that starts
// with 'X'; the other tables: "X" itself).
bool LookUpHostTable(HostTable table, const char* name, char (&value)[kHostEntrySize]);

}  // namespace tessel::qtl
