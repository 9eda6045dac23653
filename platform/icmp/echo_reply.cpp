#include "echo_reply.h"

#include "platform/icmp.h"

namespace icmp {
namespace {

constexpr uint8_t kEchoReply = 0;
constexpr uint8_t kDestinationUnreachable = 3;
constexpr uint8_t kEchoRequest = 8;
constexpr uint8_t kTimeExceeded = 11;
constexpr uint8_t kParameterProblem = 12;
constexpr uint8_t kProtocolIcmp = 1;
constexpr size_t kIcmpHeader = 8;
constexpr size_t kMinimumIpHeader = 20;

uint16_t read16(const uint8_t* at) { return static_cast<uint16_t>(at[0] << 8 | at[1]); }

// The length of a well-formed IPv4 header at the start of the bytes that
// carries ICMP, or 0.
size_t icmp_ip_header(const uint8_t* bytes, size_t length) {
  if (length < kMinimumIpHeader || (bytes[0] >> 4) != 4) return 0;
  const size_t header = static_cast<size_t>(bytes[0] & 0x0F) * 4;
  if (header < kMinimumIpHeader || header > length || bytes[9] != kProtocolIcmp) return 0;
  return header;
}

bool is_our_request(const uint8_t* icmp, size_t length, const EchoRequestId& request) {
  return length >= kIcmpHeader && icmp[0] == kEchoRequest &&
         (!request.match_identifier || read16(icmp + 4) == request.identifier) &&
         read16(icmp + 6) == request.sequence;
}

DWORD unreachable_status(uint8_t code) {
  switch (code) {
    case 0: case 6: case 9: case 11:
      return IP_DEST_NET_UNREACHABLE;
    case 2:
      return IP_DEST_PROT_UNREACHABLE;
    case 3:
      return IP_DEST_PORT_UNREACHABLE;
    case 4:
      return IP_PACKET_TOO_BIG;
    default:
      return IP_DEST_HOST_UNREACHABLE;
  }
}

// The status a router's report about our request stands for, or 0 when the
// message is no such report.
DWORD report_status(const uint8_t* icmp, size_t length, const EchoRequestId& request) {
  if (length < kIcmpHeader) return 0;
  // The report quotes the IP header and the first 8 bytes of what it is
  // about: our echo request.
  const uint8_t* quoted = icmp + kIcmpHeader;
  const size_t quotedLength = length - kIcmpHeader;
  const size_t quotedHeader = icmp_ip_header(quoted, quotedLength);
  if (quotedHeader == 0 ||
      !is_our_request(quoted + quotedHeader, quotedLength - quotedHeader, request)) {
    return 0;
  }
  switch (icmp[0]) {
    case kDestinationUnreachable:
      return unreachable_status(icmp[1]);
    case kTimeExceeded:
      return icmp[1] == 0 ? IP_TTL_EXPIRED_TRANSIT : IP_TTL_EXPIRED_REASSEM;
    case kParameterProblem:
      return IP_PARAM_PROBLEM;
    default:
      return 0;
  }
}

}  // namespace

ReceivedPacket read_packet(const uint8_t* packet, size_t length, bool withIpHeader,
                           const EchoRequestId& request) {
  ReceivedPacket result;
  const uint8_t* icmp = packet;
  if (withIpHeader) {
    const size_t header = icmp_ip_header(packet, length);
    if (header == 0) return result;
    result.has_ttl = true;
    result.ttl = packet[8];
    icmp += header;
    length -= header;
  }
  if (length < kIcmpHeader) return result;
  if (icmp[0] == kEchoReply) {
    if ((request.match_identifier && read16(icmp + 4) != request.identifier) ||
        read16(icmp + 6) != request.sequence) {
      return result;
    }
    result.kind = ReceivedPacket::kEchoReply;
    result.status = IP_SUCCESS;
    result.data = icmp + kIcmpHeader;
    result.size = length - kIcmpHeader;
    return result;
  }
  if (!withIpHeader) return result;
  if (DWORD status = report_status(icmp, length, request)) {
    result.kind = ReceivedPacket::kErrorReport;
    result.status = status;
  }
  return result;
}

uint16_t internet_checksum(const uint8_t* bytes, size_t length) {
  uint32_t sum = 0;
  for (size_t i = 0; i + 1 < length; i += 2) sum += read16(bytes + i);
  if (length % 2 != 0) sum += static_cast<uint32_t>(bytes[length - 1]) << 8;
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint16_t>(~sum);
}

}  // namespace icmp
