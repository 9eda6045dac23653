// WSAAsyncSelect: socket events posted as window messages.
//
// The thread that owns the selected window watches the socket itself while
// it waits for messages or looks for one (platform/src/socket_watch.h), and
// posts FD_READ, FD_WRITE, FD_CONNECT and FD_CLOSE to the window with
// Winsock's rules:
// - FD_READ when data waits, then again only after a receive call on the
//   socket (at once if data is still waiting then);
// - FD_WRITE when the selection is made on a socket that can send, after a
//   connection completes, and again after a send that would have blocked;
// - FD_CONNECT once when a connection attempt ends, with its error;
// - FD_CLOSE once when the peer has closed, after the data that came before
//   it has been received (or at once when FD_READ is not selected).
// wParam is the SOCKET, lParam WSAMAKESELECTREPLY(event, error). FD_ACCEPT
// and FD_OOB may be selected but never occur: the module has no listening
// sockets and does not report out-of-band data.
//
// Each socket stays in its watch's epoll set, edge-triggered, for the
// events that are selected (FD_WRITE only while re-enabled), so
// re-enabling FD_READ by a receive costs no system call. What fired is
// weighed again under the socket's lock before anything is posted, so a
// notification never outlives the state that caused it. Data that already
// waits when FD_READ is re-enabled brings no new edge: unless the receive
// found the socket empty, the socket is looked at again, by the watching
// thread before it next waits or at once by any other thread.
//
// Every function here is called with socket.lock held.
#pragma once

#include "socket_table.h"

namespace wsock32 {

// A new selection (events non-zero) or its cancellation (events 0) was
// stored in the socket: posts what is already due and re-arms. Returns
// false (last error set) when the socket cannot be watched.
bool selection_changed(Socket& socket);
// A receive call was made: re-enables FD_READ. `drained`: it failed for
// want of data; `edgesBefore`: read_edges when it began.
void receive_made(Socket& socket, bool drained, unsigned edgesBefore);
// A stream was found to hold no bytes (FIONREAD), with `edgesBefore` as
// read_edges before it looked: no data waits unannounced.
void found_empty(Socket& socket, unsigned edgesBefore);
// A send would have blocked: re-enables FD_WRITE.
void send_blocked(Socket& socket);
// connect() started a connection (inProgress) or completed one at once.
void connect_started(Socket& socket, bool inProgress);
// The socket is being closed: nothing is posted for it any more.
void forget_socket(Socket& socket);

}  // namespace wsock32
