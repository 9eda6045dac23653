#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "address_text.h"

// The first byte picks the protocol; the rest is the text, as a caller or a
// host table would hand it over.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint32_t protocols[] = {QTL_PROTO_UDP, QTL_PROTO_TCP, QTL_PROTO_IPX, QTL_PROTO_SPX,
                                     QTL_PROTO_NETBIOS, 0x0004};
  const std::uint32_t protocol = protocols[data[0] % std::size(protocols)];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  // Unchecked conversion (the host tables' way) stays inside the record.
  auto* unchecked = new NetAddress;
  tessel::qtl::TextToAddress(text.c_str(), protocol, *unchecked);
  if (unchecked->protocol != protocol) std::abort();
  delete unchecked;

  NetAddress address;
  if (QTLStringToNetAddr(text.c_str(), protocol, &address) != QTL_SUCCESS) return 0;
  if (address.protocol != protocol) std::abort();
  // A checked address that can be written as text reads back the same.
  char written[32];
  if (QTLNetAddrToString(address, written, sizeof written) != QTL_SUCCESS) return 0;
  NetAddress again;
  if (QTLStringToNetAddr(written, protocol, &again) != QTL_SUCCESS ||
      std::memcmp(&again, &address, sizeof address) != 0) {
    std::abort();
  }
  return 0;
}
