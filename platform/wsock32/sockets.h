// Helpers the socket entry points share with the option calls.
#pragma once

#include <netinet/in.h>

#include "socket_table.h"

namespace wsock32 {

// Sets the last error from a POSIX errno value; returns SOCKET_ERROR.
int fail_errno(int error);
// The socket of a handle, when start-up is done; else null, last error set.
SocketRef usable_socket(SOCKET handle);
// Socket lock held.
bool set_nonblocking(Socket& socket, bool nonblocking);
// Writes the address as a SOCKADDR_IN; 0 or WSAEFAULT.
int to_caller(const sockaddr_in& address, SOCKADDR* name, int* nameLength);

}  // namespace wsock32
