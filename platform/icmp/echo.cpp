#include "echo.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include "echo_reply.h"
#include "platform/error.h"

namespace icmp {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kEchoRequest = 8;
constexpr size_t kIcmpHeader = 8;
constexpr size_t kLargestPacket = 65535;

int open_socket(SocketKind kind) {
  return socket(AF_INET, (kind == SocketKind::kDatagram ? SOCK_DGRAM : SOCK_RAW) | SOCK_CLOEXEC,
                IPPROTO_ICMP);
}

DWORD status_from_errno(int error) {
  switch (error) {
    case ENETUNREACH:
      return IP_DEST_NET_UNREACHABLE;
    case EHOSTUNREACH:
      return IP_DEST_HOST_UNREACHABLE;
    case ENOPROTOOPT:
      return IP_DEST_PROT_UNREACHABLE;
    case ECONNREFUSED:
      return IP_DEST_PORT_UNREACHABLE;
    case EMSGSIZE:
      return IP_PACKET_TOO_BIG;
    case ENOBUFS:
    case ENOMEM:
      return IP_NO_RESOURCES;
    default:
      return IP_GENERAL_FAILURE;
  }
}

// Each request of the process gets its own sequence number; the identifier
// tells this process's requests from other programs' on a raw socket.
EchoRequestId next_request(SocketKind kind) {
  static std::atomic<uint16_t> sequence{0};
  return EchoRequestId{static_cast<uint16_t>(getpid()), ++sequence,
                       kind == SocketKind::kRaw};
}

std::vector<uint8_t> echo_request(const EchoRequestId& request, const void* data, WORD size) {
  std::vector<uint8_t> packet(kIcmpHeader + size, 0);
  packet[0] = kEchoRequest;
  packet[4] = static_cast<uint8_t>(request.identifier >> 8);
  packet[5] = static_cast<uint8_t>(request.identifier);
  packet[6] = static_cast<uint8_t>(request.sequence >> 8);
  packet[7] = static_cast<uint8_t>(request.sequence);
  if (size > 0) std::memcpy(packet.data() + kIcmpHeader, data, size);
  const uint16_t checksum = internet_checksum(packet.data(), packet.size());
  packet[2] = static_cast<uint8_t>(checksum >> 8);
  packet[3] = static_cast<uint8_t>(checksum);
  return packet;
}

void apply_options(int fd, SocketKind kind, const IP_OPTION_INFORMATION* options) {
  if (kind == SocketKind::kDatagram) {
    const int on = 1;
    setsockopt(fd, IPPROTO_IP, IP_RECVTTL, &on, sizeof(on));
  }
  if (options == nullptr) return;
  const int ttl = options->Ttl, tos = options->Tos;
  if (ttl != 0) setsockopt(fd, IPPROTO_IP, IP_TTL, &ttl, sizeof(ttl));
  setsockopt(fd, IPPROTO_IP, IP_TOS, &tos, sizeof(tos));
}

struct Outcome {
  DWORD status = IP_REQ_TIMED_OUT;
  IPAddr from = 0;
  std::vector<uint8_t> data;
  uint8_t ttl = 0;
  bool replied = false;  // a reply or a report came back
};

// Reads packets until ours (or a report about it) comes or time runs out.
void await_reply(int fd, SocketKind kind, const EchoRequestId& request, Clock::time_point deadline,
                 Outcome& outcome) {
  std::vector<uint8_t> packet(kLargestPacket);
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd ready{fd, POLLIN, 0};
    const int wait = static_cast<int>(std::clamp<int64_t>(left.count(), 0, INT32_MAX));
    const int polled = poll(&ready, 1, wait);
    if (polled == 0) return;
    if (polled < 0) {
      if (errno == EINTR) continue;
      outcome.status = IP_GENERAL_FAILURE;
      return;
    }
    sockaddr_in source{};
    iovec part{packet.data(), packet.size()};
    alignas(cmsghdr) char control[64];
    msghdr message{};
    message.msg_name = &source;
    message.msg_namelen = sizeof(source);
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof(control);
    const ssize_t length = recvmsg(fd, &message, MSG_DONTWAIT);
    if (length < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      // A connected datagram ICMP socket reports errors this way.
      outcome.status = status_from_errno(errno);
      outcome.replied = true;
      return;
    }
    const ReceivedPacket received = read_packet(packet.data(), static_cast<size_t>(length),
                                                kind == SocketKind::kRaw, request);
    if (received.kind == ReceivedPacket::kUnrelated) continue;
    outcome.replied = true;
    outcome.status = received.status;
    outcome.from = source.sin_addr.s_addr;
    outcome.data.assign(received.data, received.data + received.size);
    outcome.ttl = received.ttl;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
      if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_TTL) {
        int ttl;
        std::memcpy(&ttl, CMSG_DATA(c), sizeof(ttl));
        outcome.ttl = static_cast<uint8_t>(ttl);
      }
    }
    return;
  }
}

void write_reply(const Outcome& outcome, IPAddr destination, DWORD roundTrip, void* buffer,
                 DWORD size) {
  auto* base = static_cast<uint8_t*>(buffer);
  const size_t room = size - sizeof(ICMP_ECHO_REPLY);
  const size_t kept = std::min({outcome.data.size(), room, size_t{0xFFFF}});
  ICMP_ECHO_REPLY reply{};
  reply.Address = outcome.replied ? outcome.from : destination;
  reply.Status = outcome.status;
  reply.RoundTripTime = outcome.replied ? roundTrip : 0;
  reply.DataSize = static_cast<WORD>(kept);
  reply.Data = base + sizeof(ICMP_ECHO_REPLY);
  reply.Options.Ttl = outcome.ttl;
  std::memcpy(base, &reply, sizeof(reply));
  if (kept > 0) std::memcpy(base + sizeof(ICMP_ECHO_REPLY), outcome.data.data(), kept);
}

}  // namespace

bool usable_socket_kind(SocketKind& kind) {
  for (SocketKind candidate : {SocketKind::kDatagram, SocketKind::kRaw}) {
    const int fd = open_socket(candidate);
    if (fd >= 0) {
      close(fd);
      kind = candidate;
      return true;
    }
  }
  return false;
}

DWORD send_echo(SocketKind kind, IPAddr destination, const void* data, WORD size,
                const IP_OPTION_INFORMATION* options, void* replyBuffer, DWORD replySize,
                DWORD timeout) {
  const auto start = Clock::now();
  Outcome outcome;
  const int fd = open_socket(kind);
  if (fd < 0) {
    outcome.status = IP_NO_RESOURCES;
  } else {
    apply_options(fd, kind, options);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = destination;
    const EchoRequestId request = next_request(kind);
    const std::vector<uint8_t> packet = echo_request(request, data, size);
    // Connecting a datagram ICMP socket makes the kernel hand back the
    // errors routers report about it; a raw socket sees those reports as
    // packets from the router, so it must stay open to every source.
    const bool ready = kind == SocketKind::kRaw ||
                       connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof(target)) == 0;
    if (!ready || sendto(fd, packet.data(), packet.size(), 0,
                         reinterpret_cast<sockaddr*>(&target), sizeof(target)) < 0) {
      outcome.status = status_from_errno(errno);
    } else {
      await_reply(fd, kind, request, start + std::chrono::milliseconds(timeout), outcome);
    }
    close(fd);
  }
  const auto roundTrip =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  write_reply(outcome, destination, static_cast<DWORD>(roundTrip), replyBuffer, replySize);
  if (outcome.replied) return 1;
  SetLastError(outcome.status);
  return 0;
}

}  // namespace icmp
