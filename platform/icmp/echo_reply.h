// Reading what arrives on an ICMP socket: is it the reply to our echo
// request, or a router's error report about it? Packets come from the
// network and are checked byte by byte before anything is believed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/types.h"

namespace icmp {

struct EchoRequestId {
  uint16_t identifier;
  uint16_t sequence;
  // A datagram ICMP socket has the kernel choose the identifier, so only
  // the sequence number tells our replies apart there.
  bool match_identifier;
};

struct ReceivedPacket {
  enum Kind { kUnrelated, kEchoReply, kErrorReport } kind = kUnrelated;
  DWORD status = 0;              // IP_SUCCESS, or the IP_* status of a report
  const uint8_t* data = nullptr; // echoed data (replies only)
  size_t size = 0;
  bool has_ttl = false;  // packets read with their IP header carry one
  uint8_t ttl = 0;
};

// `packet` is what one receive returned: with the IP header in front on a
// raw socket (withIpHeader), the bare ICMP message on a datagram socket.
// Error reports are only seen on raw sockets.
ReceivedPacket read_packet(const uint8_t* packet, size_t length, bool withIpHeader,
                           const EchoRequestId& request);

// The Internet checksum of the given bytes.
uint16_t internet_checksum(const uint8_t* bytes, size_t length);

}  // namespace icmp
