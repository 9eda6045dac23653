// The entry points of "WSOCK32.DLL" (found through its module table by
// GetProcAddress) and what they share inside the module.
//
// Every entry point may be called from any thread. All except the
// byte-order helpers and WSAGetLastError fail with WSANOTINITIALISED while
// no WSAStartup is outstanding. Failures set the calling thread's last
// error to a Winsock number, translated from errno in one place
// (PlatformWinsockErrorFromErrno).
#pragma once

#include "socket_table.h"

namespace wsock32 {

// Start-up (startup.cpp).
int ws_WSAStartup(WORD versionRequested, WSADATA* data);
int ws_WSACleanup(void);
// True while a start-up is outstanding; otherwise sets WSANOTINITIALISED.
bool started();

// Sockets (sockets.cpp).
SOCKET ws_socket(int af, int type, int protocol);
int ws_closesocket(SOCKET s);
int ws_bind(SOCKET s, const SOCKADDR* name, int nameLength);
int ws_connect(SOCKET s, const SOCKADDR* name, int nameLength);
int ws_send(SOCKET s, const char* buffer, int length, int flags);
int ws_sendto(SOCKET s, const char* buffer, int length, int flags, const SOCKADDR* to,
              int toLength);
int ws_recvfrom(SOCKET s, char* buffer, int length, int flags, SOCKADDR* from, int* fromLength);
int ws_shutdown(SOCKET s, int how);
int ws_getsockname(SOCKET s, SOCKADDR* name, int* nameLength);
int ws_WSAAsyncSelect(SOCKET s, HWND window, UINT message, LONG events);
// Stops all posting for the socket and lets go of it; a call still using
// it on another thread is woken by a shutdown.
void close_socket(const SocketRef& socket);

// Options and modes (options.cpp).
int ws_getsockopt(SOCKET s, int level, int name, char* value, int* valueLength);
int ws_setsockopt(SOCKET s, int level, int name, const char* value, int valueLength);
int ws_ioctlsocket(SOCKET s, LONG command, uint32_t* argument);

// Host names (host_names.cpp). gethostbyname and gethostbyaddr return a
// host entry that belongs to the calling thread and stays valid until its
// next call of either.
int ws_gethostname(char* name, int nameLength);
HOSTENT* ws_gethostbyname(const char* name);
HOSTENT* ws_gethostbyaddr(const char* address, int length, int type);
HANDLE ws_WSAAsyncGetHostByName(HWND window, UINT message, const char* name, char* buffer,
                                int bufferLength);
HANDLE ws_WSAAsyncGetHostByAddr(HWND window, UINT message, const char* address, int length,
                                int type, char* buffer, int bufferLength);
int ws_WSACancelAsyncRequest(HANDLE request);
// The last WSACleanup: no look-up posts anything afterwards.
void cancel_all_lookups();

// Sets the last error and returns SOCKET_ERROR.
int fail(int winsockError);

}  // namespace wsock32
