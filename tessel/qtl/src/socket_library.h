// Late binding of the platform's socket library ("WSOCK32.DLL") and echo
// library ("ICMP.DLL") by name, each with a reference count.
#pragma once

#include <cstdint>

#include "platform/icmp.h"
#include "platform/winsock.h"

namespace tessel::qtl {

// The socket library's entry points; all set while it is bound, all null
// otherwise.
struct SocketLibrary {
  LPFN_WSASTARTUP WSAStartup;
  LPFN_WSACLEANUP WSACleanup;
  LPFN_SOCKET socket;
  LPFN_CLOSESOCKET closesocket;
  LPFN_BIND bind;
  LPFN_HTONS htons;
  LPFN_HTONL htonl;
  LPFN_NTOHS ntohs;
  LPFN_NTOHL ntohl;
  LPFN_GETSOCKNAME getsockname;
  LPFN_GETSOCKOPT getsockopt;
  LPFN_SENDTO sendto;
  LPFN_WSAGETLASTERROR WSAGetLastError;
  LPFN_RECVFROM recvfrom;
  LPFN_WSAASYNCSELECT WSAAsyncSelect;
  LPFN_GETHOSTNAME gethostname;
  LPFN_GETHOSTBYNAME gethostbyname;
  LPFN_GETHOSTBYADDR gethostbyaddr;
  LPFN_IOCTLSOCKET ioctlsocket;
  LPFN_SETSOCKOPT setsockopt;
  LPFN_CONNECT connect;
  LPFN_SEND send;
  LPFN_SHUTDOWN shutdown;
  LPFN_WSAASYNCGETHOSTBYADDR WSAAsyncGetHostByAddr;
  LPFN_WSAASYNCGETHOSTBYNAME WSAAsyncGetHostByName;
  LPFN_WSACANCELASYNCREQUEST WSACancelAsyncRequest;
};

struct EchoLibrary {
  LPFN_ICMPCREATEFILE IcmpCreateFile;
  LPFN_ICMPCLOSEHANDLE IcmpCloseHandle;
  LPFN_ICMPSENDECHO IcmpSendEcho;
};

const SocketLibrary& Winsock();
const EchoLibrary& Icmp();

// Under the init lock. Binding fails with QTLERR_WINSOCK_INIT (or
// QTLERR_ICMP_INIT) when the module is missing or lacks an entry point; the
// count is then left as it was.
int32_t BindSocketLibrary();
void ReleaseSocketLibrary();
int32_t BindEchoLibrary();
void ReleaseEchoLibrary();

}  // namespace tessel::qtl
