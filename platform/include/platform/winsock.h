// Windows Sockets 1.1 as the built-in module "WSOCK32.DLL" offers it.
//
// Callers load the module with LoadLibraryA("WSOCK32.DLL") and resolve each
// entry point by name with GetProcAddress; the LPFN_* types below are the
// shapes to cast to. Nothing here is linked directly.
//
// Layouts: the records a caller hands in or gets back keep the field order,
// widths and offsets a 32-bit Windows program saw, except that every pointer
// is pointer-sized. So SOCKADDR_IN is the 16-byte IPv4 address, WSADATA has
// its 32-bit field order with lpVendorInfo widened to 8 bytes (408 bytes in
// all), and HOSTENT is {h_name, h_aliases, h_addrtype, h_length,
// h_addr_list} with 8-byte pointers (32 bytes). SOCKET, like a Windows
// handle, is pointer-sized; u_long and the ioctl command stay 32-bit.
// Winsock's u_short and u_long are spelled uint16_t and uint32_t here,
// because the system headers give those names other widths.
//
// Error numbers are Winsock's (platform/winsock_errors.h) and are read with
// WSAGetLastError, which is the calling thread's last error.
//
// The constants carry Winsock's values, several of which differ from the
// POSIX ones of the same name (SOL_SOCKET is 0xFFFF, SO_BROADCAST 0x20,
// FIONBIO 0x8004667E). Code that also includes the system's socket headers
// defines PLATFORM_WINSOCK_PREFIXED first and uses the WS_ names only.
#pragma once

#include "platform/types.h"
#include "platform/winsock_errors.h"

typedef uintptr_t SOCKET;

#define WS_INVALID_SOCKET (~(SOCKET)0)
#define WS_SOCKET_ERROR (-1)

#define WS_AF_UNSPEC 0
#define WS_AF_INET 2
#define WS_AF_IPX 6
#define WS_PF_INET WS_AF_INET
#define WS_PF_IPX WS_AF_IPX

#define WS_SOCK_STREAM 1
#define WS_SOCK_DGRAM 2
#define WS_SOCK_RAW 3

#define WS_IPPROTO_IP 0
#define WS_IPPROTO_ICMP 1
#define WS_IPPROTO_TCP 6
#define WS_IPPROTO_UDP 17
#define WS_NSPROTO_IPX 1000
#define WS_NSPROTO_SPX 1256

#define WS_INADDR_ANY 0x00000000u
#define WS_INADDR_LOOPBACK 0x7F000001u
#define WS_INADDR_BROADCAST 0xFFFFFFFFu
#define WS_INADDR_NONE 0xFFFFFFFFu

// Options: level WS_SOL_SOCKET and level WS_IPPROTO_TCP.
#define WS_SOL_SOCKET 0xFFFF
#define WS_SO_REUSEADDR 0x0004
#define WS_SO_KEEPALIVE 0x0008
#define WS_SO_BROADCAST 0x0020
#define WS_SO_SNDBUF 0x1001
#define WS_SO_RCVBUF 0x1002
#define WS_SO_ERROR 0x1007
#define WS_SO_TYPE 0x1008
#define WS_TCP_NODELAY 0x0001

// ioctlsocket commands: _IOW('f', 126, uint32_t) and _IOR('f', 127, uint32_t).
#define WS_FIONBIO ((LONG)0x8004667Eu)
#define WS_FIONREAD ((LONG)0x4004667Fu)

#define WS_MSG_OOB 0x1
#define WS_MSG_PEEK 0x2
#define WS_MSG_DONTROUTE 0x4

#define WS_SD_RECEIVE 0
#define WS_SD_SEND 1
#define WS_SD_BOTH 2

// WSAAsyncSelect events.
#define WS_FD_READ 0x01
#define WS_FD_WRITE 0x02
#define WS_FD_OOB 0x04
#define WS_FD_ACCEPT 0x08
#define WS_FD_CONNECT 0x10
#define WS_FD_CLOSE 0x20

#define WSADESCRIPTION_LEN 256
#define WSASYS_STATUS_LEN 128
// The buffer size that always holds an asynchronous look-up's host entry.
#define MAXGETHOSTSTRUCT 1024

// lParam of WSAAsyncSelect and WSAAsyncGetHostBy* messages: the event or
// the buffer length in the low 16 bits, the Winsock error in the high 16.
#define WSAMAKESELECTREPLY(event, error) ((LPARAM)(DWORD)(((DWORD)(WORD)(error) << 16) | (WORD)(event)))
#define WSAMAKEASYNCREPLY(buflen, error) WSAMAKESELECTREPLY(buflen, error)
#define WSAGETSELECTEVENT(lParam) ((WORD)((DWORD)(lParam) & 0xFFFFu))
#define WSAGETSELECTERROR(lParam) ((WORD)(((DWORD)(lParam) >> 16) & 0xFFFFu))
#define WSAGETASYNCBUFLEN(lParam) WSAGETSELECTEVENT(lParam)
#define WSAGETASYNCERROR(lParam) WSAGETSELECTERROR(lParam)

typedef struct WS_in_addr {
  uint32_t s_addr;  // network byte order
} IN_ADDR;

typedef struct WS_sockaddr {
  uint16_t sa_family;
  char sa_data[14];
} SOCKADDR;

typedef struct WS_sockaddr_in {
  short sin_family;
  uint16_t sin_port;  // network byte order
  IN_ADDR sin_addr;
  char sin_zero[8];
} SOCKADDR_IN;

typedef struct WS_hostent {
  char* h_name;
  char** h_aliases;
  short h_addrtype;
  short h_length;
  char** h_addr_list;  // addresses in network byte order, NULL-terminated
} HOSTENT;

typedef struct WSAData {
  WORD wVersion;
  WORD wHighVersion;
  char szDescription[WSADESCRIPTION_LEN + 1];
  char szSystemStatus[WSASYS_STATUS_LEN + 1];
  unsigned short iMaxSockets;
  unsigned short iMaxUdpDg;
  char* lpVendorInfo;
} WSADATA;

#ifdef __cplusplus
static_assert(sizeof(IN_ADDR) == 4, "IN_ADDR is 4 bytes");
static_assert(sizeof(SOCKADDR) == 16, "SOCKADDR is 16 bytes");
static_assert(sizeof(SOCKADDR_IN) == 16 && offsetof(SOCKADDR_IN, sin_port) == 2 &&
                  offsetof(SOCKADDR_IN, sin_addr) == 4 && offsetof(SOCKADDR_IN, sin_zero) == 8,
              "SOCKADDR_IN keeps its 16-byte layout");
static_assert(offsetof(WSADATA, szDescription) == 4 && offsetof(WSADATA, szSystemStatus) == 261 &&
                  offsetof(WSADATA, iMaxSockets) == 390 && offsetof(WSADATA, iMaxUdpDg) == 392 &&
                  offsetof(WSADATA, lpVendorInfo) == 400 && sizeof(WSADATA) == 408,
              "WSADATA keeps the 32-bit field order with a pointer-sized lpVendorInfo");
static_assert(offsetof(HOSTENT, h_aliases) == 8 && offsetof(HOSTENT, h_addrtype) == 16 &&
                  offsetof(HOSTENT, h_length) == 18 && offsetof(HOSTENT, h_addr_list) == 24 &&
                  sizeof(HOSTENT) == 32,
              "HOSTENT keeps its field order with pointer-sized pointers");
#endif

// The entry points, in the shapes GetProcAddress hands out.
typedef int (*LPFN_WSASTARTUP)(WORD versionRequested, WSADATA* data);
typedef int (*LPFN_WSACLEANUP)(void);
typedef int (*LPFN_WSAGETLASTERROR)(void);
typedef SOCKET (*LPFN_SOCKET)(int af, int type, int protocol);
typedef int (*LPFN_CLOSESOCKET)(SOCKET s);
typedef int (*LPFN_BIND)(SOCKET s, const SOCKADDR* name, int nameLength);
typedef int (*LPFN_CONNECT)(SOCKET s, const SOCKADDR* name, int nameLength);
typedef int (*LPFN_SEND)(SOCKET s, const char* buffer, int length, int flags);
typedef int (*LPFN_SENDTO)(SOCKET s, const char* buffer, int length, int flags,
                           const SOCKADDR* to, int toLength);
typedef int (*LPFN_RECVFROM)(SOCKET s, char* buffer, int length, int flags, SOCKADDR* from,
                             int* fromLength);
typedef int (*LPFN_SHUTDOWN)(SOCKET s, int how);
typedef int (*LPFN_GETSOCKNAME)(SOCKET s, SOCKADDR* name, int* nameLength);
typedef int (*LPFN_GETSOCKOPT)(SOCKET s, int level, int name, char* value, int* valueLength);
typedef int (*LPFN_SETSOCKOPT)(SOCKET s, int level, int name, const char* value, int valueLength);
typedef int (*LPFN_IOCTLSOCKET)(SOCKET s, LONG command, uint32_t* argument);
typedef uint16_t (*LPFN_HTONS)(uint16_t value);
typedef uint32_t (*LPFN_HTONL)(uint32_t value);
typedef uint16_t (*LPFN_NTOHS)(uint16_t value);
typedef uint32_t (*LPFN_NTOHL)(uint32_t value);
typedef int (*LPFN_GETHOSTNAME)(char* name, int nameLength);
typedef HOSTENT* (*LPFN_GETHOSTBYNAME)(const char* name);
typedef HOSTENT* (*LPFN_GETHOSTBYADDR)(const char* address, int length, int type);
typedef int (*LPFN_WSAASYNCSELECT)(SOCKET s, HWND window, UINT message, LONG events);
typedef HANDLE (*LPFN_WSAASYNCGETHOSTBYNAME)(HWND window, UINT message, const char* name,
                                             char* buffer, int bufferLength);
typedef HANDLE (*LPFN_WSAASYNCGETHOSTBYADDR)(HWND window, UINT message, const char* address,
                                             int length, int type, char* buffer,
                                             int bufferLength);
typedef int (*LPFN_WSACANCELASYNCREQUEST)(HANDLE request);

#ifndef PLATFORM_WINSOCK_PREFIXED
#define INVALID_SOCKET WS_INVALID_SOCKET
#define SOCKET_ERROR WS_SOCKET_ERROR
#define AF_UNSPEC WS_AF_UNSPEC
#define AF_INET WS_AF_INET
#define AF_IPX WS_AF_IPX
#define PF_INET WS_PF_INET
#define PF_IPX WS_PF_IPX
#define SOCK_STREAM WS_SOCK_STREAM
#define SOCK_DGRAM WS_SOCK_DGRAM
#define SOCK_RAW WS_SOCK_RAW
#define IPPROTO_IP WS_IPPROTO_IP
#define IPPROTO_ICMP WS_IPPROTO_ICMP
#define IPPROTO_TCP WS_IPPROTO_TCP
#define IPPROTO_UDP WS_IPPROTO_UDP
#define NSPROTO_IPX WS_NSPROTO_IPX
#define NSPROTO_SPX WS_NSPROTO_SPX
#define INADDR_ANY WS_INADDR_ANY
#define INADDR_LOOPBACK WS_INADDR_LOOPBACK
#define INADDR_BROADCAST WS_INADDR_BROADCAST
#define INADDR_NONE WS_INADDR_NONE
#define SOL_SOCKET WS_SOL_SOCKET
#define SO_REUSEADDR WS_SO_REUSEADDR
#define SO_KEEPALIVE WS_SO_KEEPALIVE
#define SO_BROADCAST WS_SO_BROADCAST
#define SO_SNDBUF WS_SO_SNDBUF
#define SO_RCVBUF WS_SO_RCVBUF
#define SO_ERROR WS_SO_ERROR
#define SO_TYPE WS_SO_TYPE
#define TCP_NODELAY WS_TCP_NODELAY
#define FIONBIO WS_FIONBIO
#define FIONREAD WS_FIONREAD
#define MSG_OOB WS_MSG_OOB
#define MSG_PEEK WS_MSG_PEEK
#define MSG_DONTROUTE WS_MSG_DONTROUTE
#define SD_RECEIVE WS_SD_RECEIVE
#define SD_SEND WS_SD_SEND
#define SD_BOTH WS_SD_BOTH
#define FD_READ WS_FD_READ
#define FD_WRITE WS_FD_WRITE
#define FD_OOB WS_FD_OOB
#define FD_ACCEPT WS_FD_ACCEPT
#define FD_CONNECT WS_FD_CONNECT
#define FD_CLOSE WS_FD_CLOSE
#endif
