#include "default_address.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace glysnmp {

uint32_t DefaultPrinterAddress() {
  uint32_t address = INADDR_LOOPBACK;
  ifaddrs* interfaces = nullptr;
  if (getifaddrs(&interfaces) != 0) return address;
  for (const ifaddrs* at = interfaces; at != nullptr; at = at->ifa_next) {
    if (at->ifa_addr == nullptr || at->ifa_addr->sa_family != AF_INET) continue;
    if ((at->ifa_flags & IFF_UP) == 0 || (at->ifa_flags & IFF_LOOPBACK) != 0) continue;
    address = ntohl(reinterpret_cast<const sockaddr_in*>(at->ifa_addr)->sin_addr.s_addr);
    break;
  }
  freeifaddrs(interfaces);
  return address;
}

}  // namespace glysnmp
