#include <cstddef>
#include <cstdint>

#include "echo_reply.h"

// The first byte picks the socket kind (raw with its IP header, or
// datagram) and whether identifiers are matched; the rest is the packet.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool raw = (data[0] & 1) != 0;
  const icmp::EchoRequestId request{0x1234, 0x0001, (data[0] & 2) != 0};
  const icmp::ReceivedPacket packet = icmp::read_packet(data + 1, size - 1, raw, request);
  if (packet.kind == icmp::ReceivedPacket::kEchoReply && packet.size > 0) {
    // The echoed data must lie inside the packet.
    volatile std::uint8_t last = packet.data[packet.size - 1];
    (void)last;
  }
  icmp::internet_checksum(data, size);
  return 0;
}
