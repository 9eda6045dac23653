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

const PlatformExport kExports[] = {
    {"WSAStartup", platform_entry<LPFN_WSASTARTUP>(ws_WSAStartup)},
    {"WSACleanup", platform_entry<LPFN_WSACLEANUP>(ws_WSACleanup)},
    {"WSAGetLastError", platform_entry<LPFN_WSAGETLASTERROR>(ws_WSAGetLastError)},
    {"socket", platform_entry<LPFN_SOCKET>(ws_socket)},
    {"closesocket", platform_entry<LPFN_CLOSESOCKET>(ws_closesocket)},
    {"bind", platform_entry<LPFN_BIND>(ws_bind)},
    {"connect", platform_entry<LPFN_CONNECT>(ws_connect)},
    {"send", platform_entry<LPFN_SEND>(ws_send)},
    {"sendto", platform_entry<LPFN_SENDTO>(ws_sendto)},
    {"recvfrom", platform_entry<LPFN_RECVFROM>(ws_recvfrom)},
    {"shutdown", platform_entry<LPFN_SHUTDOWN>(ws_shutdown)},
    {"getsockname", platform_entry<LPFN_GETSOCKNAME>(ws_getsockname)},
    {"getsockopt", platform_entry<LPFN_GETSOCKOPT>(ws_getsockopt)},
    {"setsockopt", platform_entry<LPFN_SETSOCKOPT>(ws_setsockopt)},
    {"ioctlsocket", platform_entry<LPFN_IOCTLSOCKET>(ws_ioctlsocket)},
    {"htons", platform_entry<LPFN_HTONS>(ws_htons)},
    {"htonl", platform_entry<LPFN_HTONL>(ws_htonl)},
    {"ntohs", platform_entry<LPFN_NTOHS>(ws_ntohs)},
    {"ntohl", platform_entry<LPFN_NTOHL>(ws_ntohl)},
    {"gethostname", platform_entry<LPFN_GETHOSTNAME>(ws_gethostname)},
    {"gethostbyname", platform_entry<LPFN_GETHOSTBYNAME>(ws_gethostbyname)},
    {"gethostbyaddr", platform_entry<LPFN_GETHOSTBYADDR>(ws_gethostbyaddr)},
    {"WSAAsyncSelect", platform_entry<LPFN_WSAASYNCSELECT>(ws_WSAAsyncSelect)},
    {"WSAAsyncGetHostByName", platform_entry<LPFN_WSAASYNCGETHOSTBYNAME>(ws_WSAAsyncGetHostByName)},
    {"WSAAsyncGetHostByAddr", platform_entry<LPFN_WSAASYNCGETHOSTBYADDR>(ws_WSAAsyncGetHostByAddr)},
    {"WSACancelAsyncRequest", platform_entry<LPFN_WSACANCELASYNCREQUEST>(ws_WSACancelAsyncRequest)},
    {nullptr, nullptr},
};

const PlatformModuleTable kModule{"WSOCK32.DLL", kExports};

}  // namespace
}  // namespace wsock32

const PlatformModuleTable* platform_wsock32_module() { return &wsock32::kModule; }
