// Host look-ups through the system's resolver, and the HOSTENT record
// Winsock hands out for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace wsock32 {

struct HostInfo {
  std::string name;
  std::vector<uint32_t> addresses;  // IPv4, network byte order, no repeats
};

// Looks a name up (IPv4 only). A null or empty name means this host, as
// for Winsock; a dotted address comes back as itself. Returns 0 or a
// Winsock error: WSAHOST_NOT_FOUND, WSATRY_AGAIN, WSANO_RECOVERY,
// WSANO_DATA, WSAENOBUFS.
int resolve_name(const char* name, HostInfo& host);
// Finds the name of an IPv4 address (network byte order); errors as above.
int resolve_address(uint32_t address, HostInfo& host);

// Lays out a HOSTENT and everything it points to (aliases: none; the
// addresses; the name) in `buffer`, and returns the bytes that takes. When
// that is more than `length`, nothing is written.
size_t pack_host_entry(const HostInfo& host, void* buffer, size_t length);

}  // namespace wsock32
