// The IPX and SPX address family of Windows Sockets: the socket address and
// the NWLink options at level NSPROTO_IPX. The built-in "WSOCK32.DLL" has no
// IPX (creating a family-6 socket fails with WSAEAFNOSUPPORT, as on a Windows
// machine without the protocol); these are the shapes a module that does
// offer it exchanges with its callers.
#pragma once

#include "platform/winsock.h"

// Socket protocols: plain IPX datagrams carry the packet type in the
// protocol number (NSPROTO_IPX + type).
#define WS_NSPROTO_IPX_TYPE4 (WS_NSPROTO_IPX + 4)

// Options at level WS_NSPROTO_IPX.
#define WS_IPX_ADDRESS 0x4007
#define WS_IPX_MAX_ADAPTER_NUM 0x400D

// 14 bytes: family 6, network and node as on the wire, socket number in
// network byte order.
typedef struct WS_sockaddr_ipx {
  short sa_family;
  char sa_netnum[4];
  char sa_nodenum[6];
  uint16_t sa_socket;
} SOCKADDR_IPX;

// What IPX_ADDRESS reads for the adapter whose number the caller sets.
typedef struct WS_ipx_address_data {
  int32_t adapternum;
  uint8_t netnum[4];
  uint8_t nodenum[6];
  uint8_t wan;         // a wide-area link
  uint8_t status;      // the link is up
  int32_t maxpkt;      // largest packet the adapter sends
  uint32_t linkspeed;  // in units of 100 bits per second
} IPX_ADDRESS_DATA;

#ifdef __cplusplus
static_assert(sizeof(SOCKADDR_IPX) == 14 && offsetof(SOCKADDR_IPX, sa_netnum) == 2 &&
                  offsetof(SOCKADDR_IPX, sa_nodenum) == 6 &&
                  offsetof(SOCKADDR_IPX, sa_socket) == 12,
              "SOCKADDR_IPX keeps its 14-byte layout");
static_assert(sizeof(IPX_ADDRESS_DATA) == 24 && offsetof(IPX_ADDRESS_DATA, netnum) == 4 &&
                  offsetof(IPX_ADDRESS_DATA, nodenum) == 8 &&
                  offsetof(IPX_ADDRESS_DATA, wan) == 14 &&
                  offsetof(IPX_ADDRESS_DATA, maxpkt) == 16 &&
                  offsetof(IPX_ADDRESS_DATA, linkspeed) == 20,
              "IPX_ADDRESS_DATA keeps its 24-byte layout");
#endif

#ifndef PLATFORM_WINSOCK_PREFIXED
#define IPX_ADDRESS WS_IPX_ADDRESS
#define IPX_MAX_ADAPTER_NUM WS_IPX_MAX_ADAPTER_NUM
#endif
