// The built-in "WSOCK32.DLL": its entry points by name.
#include <arpa/inet.h>

#include "entry_points.h"
#include "platform/error.h"
#include "builtin_modules.h"

namespace wsock32 {
namespace {

uint16_t ws_htons(uint16_t value) { return htons(value); }
uint32_t ws_htonl(uint32_t value) { return htonl(value); }
uint16_t ws_ntohs(uint16_t value) { return ntohs(value); }
uint32_t ws_ntohl(uint32_t value) { return ntohl(value); }
int ws_WSAGetLastError(void) { return static_cast<int>(GetLastError()); }

// The signature is named so that an entry point whose shape drifts from
// the one callers cast to does not compile.
template <typename Signature>
FARPROC entry(Signature function) {
  return reinterpret_cast<FARPROC>(function);
}

const PlatformExport kExports[] = {
    {"WSAStartup", entry<LPFN_WSASTARTUP>(ws_WSAStartup)},
    {"WSACleanup", entry<LPFN_WSACLEANUP>(ws_WSACleanup)},
    {"WSAGetLastError", entry<LPFN_WSAGETLASTERROR>(ws_WSAGetLastError)},
    {"socket", entry<LPFN_SOCKET>(ws_socket)},
    {"closesocket", entry<LPFN_CLOSESOCKET>(ws_closesocket)},
    {"bind", entry<LPFN_BIND>(ws_bind)},
    {"connect", entry<LPFN_CONNECT>(ws_connect)},
    {"send", entry<LPFN_SEND>(ws_send)},
    {"sendto", entry<LPFN_SENDTO>(ws_sendto)},
    {"recvfrom", entry<LPFN_RECVFROM>(ws_recvfrom)},
    {"shutdown", entry<LPFN_SHUTDOWN>(ws_shutdown)},
    {"getsockname", entry<LPFN_GETSOCKNAME>(ws_getsockname)},
    {"getsockopt", entry<LPFN_GETSOCKOPT>(ws_getsockopt)},
    {"setsockopt", entry<LPFN_SETSOCKOPT>(ws_setsockopt)},
    {"ioctlsocket", entry<LPFN_IOCTLSOCKET>(ws_ioctlsocket)},
    {"htons", entry<LPFN_HTONS>(ws_htons)},
    {"htonl", entry<LPFN_HTONL>(ws_htonl)},
    {"ntohs", entry<LPFN_NTOHS>(ws_ntohs)},
    {"ntohl", entry<LPFN_NTOHL>(ws_ntohl)},
    {"gethostname", entry<LPFN_GETHOSTNAME>(ws_gethostname)},
    {"gethostbyname", entry<LPFN_GETHOSTBYNAME>(ws_gethostbyname)},
    {"gethostbyaddr", entry<LPFN_GETHOSTBYADDR>(ws_gethostbyaddr)},
    {"WSAAsyncSelect", entry<LPFN_WSAASYNCSELECT>(ws_WSAAsyncSelect)},
    {"WSAAsyncGetHostByName", entry<LPFN_WSAASYNCGETHOSTBYNAME>(ws_WSAAsyncGetHostByName)},
    {"WSAAsyncGetHostByAddr", entry<LPFN_WSAASYNCGETHOSTBYADDR>(ws_WSAAsyncGetHostByAddr)},
    {"WSACancelAsyncRequest", entry<LPFN_WSACANCELASYNCREQUEST>(ws_WSACancelAsyncRequest)},
    {nullptr, nullptr},
};

const PlatformModuleTable kModule{"WSOCK32.DLL", kExports};

}  // namespace
}  // namespace wsock32

const PlatformModuleTable* platform_wsock32_module() { return &wsock32::kModule; }
