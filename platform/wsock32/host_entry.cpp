#include "host_entry.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#define PLATFORM_WINSOCK_PREFIXED
#include "platform/winsock.h"

namespace wsock32 {
namespace {

int winsock_error(int resolverError) {
  switch (resolverError) {
    case 0:
      return 0;
    case EAI_NONAME:
      return WSAHOST_NOT_FOUND;
    case EAI_AGAIN:
      return WSATRY_AGAIN;
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
      return WSANO_DATA;
    case EAI_MEMORY:
      return WSAENOBUFS;
    case EAI_SYSTEM:
      return PlatformWinsockErrorFromErrno(errno);
    default:
      return WSANO_RECOVERY;
  }
}

size_t align_pointer(size_t offset) {
  return (offset + alignof(char*) - 1) / alignof(char*) * alignof(char*);
}

}  // namespace

int resolve_name(const char* name, HostInfo& host) {
  char ownName[256];
  if (name == nullptr || name[0] == '\0') {
    if (gethostname(ownName, sizeof(ownName)) != 0) return PlatformWinsockErrorFromErrno(errno);
    ownName[sizeof(ownName) - 1] = '\0';
    name = ownName;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;  // one entry per address
  hints.ai_flags = AI_CANONNAME;
  addrinfo* found = nullptr;
  if (int error = getaddrinfo(name, nullptr, &hints, &found)) return winsock_error(error);
  host.name = found->ai_canonname != nullptr ? found->ai_canonname : name;
  host.addresses.clear();
  for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    const uint32_t address =
        reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr;
    if (std::find(host.addresses.begin(), host.addresses.end(), address) == host.addresses.end()) {
      host.addresses.push_back(address);
    }
  }
  freeaddrinfo(found);
  return 0;
}

int resolve_address(uint32_t address, HostInfo& host) {
  sockaddr_in socketAddress{};
  socketAddress.sin_family = AF_INET;
  socketAddress.sin_addr.s_addr = address;
  char name[NI_MAXHOST];
  if (int error = getnameinfo(reinterpret_cast<const sockaddr*>(&socketAddress),
                              sizeof(socketAddress), name, sizeof(name), nullptr, 0,
                              NI_NAMEREQD)) {
    return winsock_error(error);
  }
  host.name = name;
  host.addresses.assign(1, address);
  return 0;
}

// Layout: the HOSTENT, the alias list (just its NULL end), the address
// list, the 4-byte addresses, the name. Pointers are written with memcpy,
// so a caller's buffer of any alignment is filled correctly.
size_t pack_host_entry(const HostInfo& host, void* buffer, size_t length) {
  const size_t aliasesAt = align_pointer(sizeof(HOSTENT));
  const size_t addressListAt = aliasesAt + sizeof(char*);
  const size_t addressesAt = addressListAt + (host.addresses.size() + 1) * sizeof(char*);
  const size_t nameAt = addressesAt + host.addresses.size() * sizeof(uint32_t);
  const size_t needed = nameAt + host.name.size() + 1;
  if (needed > length) return needed;

  char* base = static_cast<char*>(buffer);
  auto put_pointer = [](char* at, const void* value) { std::memcpy(at, &value, sizeof(value)); };
  HOSTENT entry{};
  entry.h_name = base + nameAt;
  entry.h_aliases = reinterpret_cast<char**>(base + aliasesAt);
  entry.h_addrtype = WS_AF_INET;
  entry.h_length = sizeof(uint32_t);
  entry.h_addr_list = reinterpret_cast<char**>(base + addressListAt);
  std::memcpy(base, &entry, sizeof(entry));
  put_pointer(base + aliasesAt, nullptr);
  for (size_t i = 0; i < host.addresses.size(); ++i) {
    char* address = base + addressesAt + i * sizeof(uint32_t);
    std::memcpy(address, &host.addresses[i], sizeof(uint32_t));
    put_pointer(base + addressListAt + i * sizeof(char*), address);
  }
  put_pointer(base + addressListAt + host.addresses.size() * sizeof(char*), nullptr);
  std::memcpy(base + nameAt, host.name.c_str(), host.name.size() + 1);
  return needed;
}

}  // namespace wsock32
