// One ICMP echo: request out, reply (or a report about it, or nothing) in.
#pragma once

#include "platform/icmp.h"

namespace icmp {

enum class SocketKind { kDatagram, kRaw };

// The socket kind this process can use for echoes now: a datagram ICMP
// socket when net.ipv4.ping_group_range admits the caller, a raw one
// otherwise. False (errno set) when neither opens.
bool usable_socket_kind(SocketKind& kind);

// IcmpSendEcho's work once its handle and buffers are checked: the reply
// buffer holds at least one ICMP_ECHO_REPLY. Returns the number of replies
// written (0 or 1) and sets the last error to the status when 0.
DWORD send_echo(SocketKind kind, IPAddr destination, const void* data, WORD size,
                const IP_OPTION_INFORMATION* options, void* replyBuffer, DWORD replySize,
                DWORD timeout);

}  // namespace icmp
