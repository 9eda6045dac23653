#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "loopback_peer.h"
#include "platform/error.h"
#include "thread_runner.h"
#include "winsock_api.h"

namespace {

TEST(Wsock32Module, EveryEntryPointIsFoundByName) {
  WinsockApi ws;
  ASSERT_TRUE(ws.load());
  EXPECT_EQ(GetProcAddress(ws.module, "WSAStartupEx"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_EQ(LoadLibraryA("wsock32"), ws.module);  // the same module, one more reference
  FreeLibrary(ws.module);
  ws.unload();
}

TEST(Wsock32Module, StartUpIsCountedAndNegotiatesTheVersion) {
  WinsockApi ws;
  ASSERT_TRUE(ws.load());
  EXPECT_EQ(ws.socket(AF_INET, SOCK_DGRAM, 0), INVALID_SOCKET);
  EXPECT_EQ(ws.WSAGetLastError(), WSANOTINITIALISED);
  EXPECT_EQ(ws.gethostbyname("localhost"), nullptr);
  EXPECT_EQ(ws.WSAGetLastError(), WSANOTINITIALISED);
  EXPECT_EQ(ws.WSACleanup(), SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSANOTINITIALISED);
  EXPECT_EQ(ws.htons(0x1234), 0x3412);  // needs no start-up

  WSADATA data;
  EXPECT_EQ(ws.WSAStartup(0x0100, &data), WSAVERNOTSUPPORTED);  // version 0.1
  EXPECT_EQ(data.wHighVersion, 0x0101);
  EXPECT_EQ(ws.WSACleanup(), SOCKET_ERROR) << "a refused start-up is not counted";
  ASSERT_EQ(ws.WSAStartup(0x0001, &data), 0);  // version 1.0 is granted as asked
  EXPECT_EQ(data.wVersion, 0x0001);
  ASSERT_EQ(ws.WSACleanup(), 0);

  ASSERT_EQ(ws.WSAStartup(0x0101, &data), 0);
  EXPECT_EQ(data.wVersion, 0x0101);
  EXPECT_EQ(data.wHighVersion, 0x0101);
  EXPECT_EQ(data.iMaxUdpDg, 65507);
  ASSERT_EQ(ws.WSAStartup(0x0202, &data), 0);  // a later version is offered 1.1
  EXPECT_EQ(data.wVersion, 0x0101);

  SOCKET kept = ws.socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_NE(kept, INVALID_SOCKET);
  EXPECT_EQ(ws.WSACleanup(), 0);  // one start-up still holds
  EXPECT_NE(ws.socket(AF_INET, SOCK_DGRAM, 0), INVALID_SOCKET);
  EXPECT_EQ(ws.WSACleanup(), 0);  // the last one closes what is left
  ASSERT_EQ(ws.WSAStartup(0x0101, &data), 0);
  EXPECT_EQ(ws.closesocket(kept), SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAENOTSOCK);
  EXPECT_EQ(ws.WSACleanup(), 0);
  ws.unload();
}

class Wsock32Sockets : public WinsockTest {
 protected:
  // A stream socket connected (blocking) to the listener; `accepted` gets
  // the listener's end.
  SOCKET connected_stream(PeerListener& listener, int& accepted) {
    SOCKET s = ws.socket(AF_INET, SOCK_STREAM, 0);
    SOCKADDR_IN peer = ws.address(INADDR_LOOPBACK, listener.port());
    EXPECT_EQ(ws.connect(s, reinterpret_cast<SOCKADDR*>(&peer), sizeof(peer)), 0);
    accepted = listener.accept_one();
    EXPECT_GE(accepted, 0);
    return s;
  }
};

TEST_F(Wsock32Sockets, OnlyInternetSocketsExist) {
  EXPECT_EQ(ws.socket(AF_IPX, SOCK_DGRAM, NSPROTO_IPX), INVALID_SOCKET);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEAFNOSUPPORT);
  EXPECT_EQ(ws.socket(AF_IPX, SOCK_STREAM, NSPROTO_SPX), INVALID_SOCKET);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEAFNOSUPPORT);
  EXPECT_EQ(ws.socket(AF_INET, SOCK_RAW, 0), INVALID_SOCKET);
  EXPECT_EQ(ws.WSAGetLastError(), WSAESOCKTNOSUPPORT);
  EXPECT_EQ(ws.socket(AF_INET, SOCK_DGRAM, IPPROTO_TCP), INVALID_SOCKET);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEPROTONOSUPPORT);
  EXPECT_EQ(ws.closesocket(12345), SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAENOTSOCK);
}

TEST_F(Wsock32Sockets, DatagramsTravelWithTheirSource) {
  SOCKET unbound = ws.socket(AF_INET, SOCK_DGRAM, 0);
  SOCKADDR_IN name{};
  int length = sizeof(name);
  EXPECT_EQ(ws.getsockname(unbound, reinterpret_cast<SOCKADDR*>(&name), &length), SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEINVAL);

  SOCKET a = ws.bound_socket(SOCK_DGRAM);
  SOCKET b = ws.bound_socket(SOCK_DGRAM);
  ASSERT_EQ(ws.send_to(a, b, "first"), 5);
  ASSERT_EQ(ws.send_to(a, b, std::string(600, 'x')), 600);

  uint32_t waiting = 0;
  EXPECT_EQ(ws.ioctlsocket(b, FIONREAD, &waiting), 0);
  EXPECT_EQ(waiting, 5u);  // the next datagram's size
  char buffer[512];
  SOCKADDR_IN from{};
  int fromLength = sizeof(from);
  ASSERT_EQ(ws.recvfrom(b, buffer, sizeof(buffer), 0, reinterpret_cast<SOCKADDR*>(&from),
                        &fromLength),
            5);
  EXPECT_EQ(std::string(buffer, 5), "first");
  EXPECT_EQ(fromLength, 16);
  EXPECT_EQ(from.sin_family, AF_INET);
  EXPECT_EQ(from.sin_port, ws.name_of(a).sin_port);
  EXPECT_EQ(ws.ntohl(from.sin_addr.s_addr), INADDR_LOOPBACK);

  // Too long for the buffer: its first part, then the rest is gone.
  EXPECT_EQ(ws.recvfrom(b, buffer, sizeof(buffer), 0, nullptr, nullptr), SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEMSGSIZE);
  EXPECT_EQ(buffer[511], 'x');

  uint32_t on = 1;
  ASSERT_EQ(ws.ioctlsocket(b, FIONBIO, &on), 0);
  EXPECT_EQ(ws.recvfrom(b, buffer, sizeof(buffer), 0, nullptr, nullptr), SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEWOULDBLOCK);
  int small = 4;
  EXPECT_EQ(ws.recvfrom(b, buffer, sizeof(buffer), 0, reinterpret_cast<SOCKADDR*>(&from), &small),
            SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEFAULT);

  // Non-blocking receives read a datagram ahead: the one held keeps its
  // size and source, a peek leaves it, and an empty socket is asked again.
  ASSERT_EQ(ws.send_to(a, b, "second"), 6);
  ASSERT_EQ(ws.send_to(a, b, "third"), 5);
  ASSERT_EQ(ws.send_to(a, b, std::string(600, 'y')), 600);
  ASSERT_EQ(ws.recvfrom(b, buffer, sizeof(buffer), 0, nullptr, nullptr), 6);
  EXPECT_EQ(ws.ioctlsocket(b, FIONREAD, &waiting), 0);
  EXPECT_EQ(waiting, 5u);
  from = SOCKADDR_IN{};
  fromLength = sizeof(from);
  ASSERT_EQ(ws.recvfrom(b, buffer, sizeof(buffer), MSG_PEEK, reinterpret_cast<SOCKADDR*>(&from),
                        &fromLength),
            5);
  EXPECT_EQ(from.sin_port, ws.name_of(a).sin_port);
  ASSERT_EQ(ws.recvfrom(b, buffer, sizeof(buffer), 0, nullptr, nullptr), 5);
  EXPECT_EQ(std::string(buffer, 5), "third");
  EXPECT_EQ(ws.recvfrom(b, buffer, sizeof(buffer), 0, nullptr, nullptr), SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEMSGSIZE);
  EXPECT_EQ(ws.recvfrom(b, buffer, sizeof(buffer), 0, nullptr, nullptr), SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEWOULDBLOCK);
  ASSERT_EQ(ws.send_to(a, b, "fourth"), 6);
  EXPECT_EQ(ws.recvfrom(b, buffer, sizeof(buffer), 0, nullptr, nullptr), 6);

  for (SOCKET s : {unbound, a, b}) EXPECT_EQ(ws.closesocket(s), 0);
}

TEST_F(Wsock32Sockets, OptionsUseWinsockNumbers) {
  SOCKET s = ws.socket(AF_INET, SOCK_DGRAM, 0);
  int value = 0;
  int length = sizeof(value);
  ASSERT_EQ(ws.getsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<char*>(&value), &length), 0);
  EXPECT_EQ(value, 0);
  value = 1;
  ASSERT_EQ(ws.setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<char*>(&value), 4), 0);
  ASSERT_EQ(ws.getsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<char*>(&value), &length), 0);
  EXPECT_NE(value, 0);

  value = 8192;
  ASSERT_EQ(ws.setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&value), 4), 0);
  ASSERT_EQ(ws.setsockopt(s, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<char*>(&value), 4), 0);
  for (int option : {SO_RCVBUF, SO_SNDBUF}) {
    ASSERT_EQ(ws.getsockopt(s, SOL_SOCKET, option, reinterpret_cast<char*>(&value), &length), 0);
    EXPECT_EQ(value, 8192) << "read back as it was set";
  }
  ASSERT_EQ(ws.getsockopt(s, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&value), &length), 0);
  EXPECT_EQ(value, SOCK_DGRAM);

  EXPECT_EQ(ws.getsockopt(s, 1, SO_BROADCAST, reinterpret_cast<char*>(&value), &length),
            SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEINVAL);  // level 1 is not Winsock's socket level
  EXPECT_EQ(ws.getsockopt(s, SOL_SOCKET, 6, reinterpret_cast<char*>(&value), &length),
            SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAENOPROTOOPT);
  EXPECT_EQ(ws.setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&value), 2),
            SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEFAULT);
  uint32_t argument = 0;
  EXPECT_EQ(ws.ioctlsocket(s, 0x5421, &argument), SOCKET_ERROR);  // the system's FIONBIO
  EXPECT_EQ(ws.WSAGetLastError(), WSAEINVAL);
  EXPECT_EQ(ws.closesocket(s), 0);
}

TEST_F(Wsock32Sockets, RefusedConnectionsAndBlockedSendsHaveWinsockNumbers) {
  SOCKET s = ws.socket(AF_INET, SOCK_STREAM, 0);
  SOCKADDR_IN nobody = ws.address(INADDR_LOOPBACK, unused_tcp_port());
  EXPECT_EQ(ws.connect(s, reinterpret_cast<SOCKADDR*>(&nobody), sizeof(nobody)), SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAECONNREFUSED);
  EXPECT_EQ(ws.closesocket(s), 0);

  PeerListener listener;
  int accepted;
  s = connected_stream(listener, accepted);
  peer_shrink_receive_buffer(accepted);
  uint32_t on = 1;
  ASSERT_EQ(ws.ioctlsocket(s, FIONBIO, &on), 0);
  const std::string block(65536, 'b');
  int sent = 0;
  while (ws.send(s, block.data(), static_cast<int>(block.size()), 0) != SOCKET_ERROR) {
    ASSERT_LT(++sent, 1000) << "the send buffer never filled";
  }
  EXPECT_EQ(ws.WSAGetLastError(), WSAEWOULDBLOCK);
  EXPECT_EQ(ws.shutdown(s, 7), SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEINVAL);
  EXPECT_EQ(ws.closesocket(s), 0);
  peer_close(accepted);
}

using Pairs = std::vector<std::pair<int, int>>;

// A socket's notifications: (event, error) pairs in arrival order. Waits
// patiently for the `expected` number, then briefly for any extra.
Pairs collect(MessageWindow& window, SOCKET s, size_t expected) {
  Pairs events;
  MSG msg;
  while (window.next(msg, events.size() < expected ? kPromptly : 200)) {
    EXPECT_EQ(msg.message, kSocketMessage);
    EXPECT_EQ(msg.wParam, s);
    events.emplace_back(WSAGETSELECTEVENT(msg.lParam), WSAGETSELECTERROR(msg.lParam));
  }
  return events;
}

TEST_F(Wsock32Sockets, DatagramNotificationsFollowWinsockRules) {
  MessageWindow window;
  SOCKET sender = ws.bound_socket(SOCK_DGRAM);
  SOCKET s = ws.bound_socket(SOCK_DGRAM);
  ASSERT_EQ(ws.WSAAsyncSelect(s, window.get(), kSocketMessage, FD_READ | FD_WRITE), 0);
  EXPECT_EQ(collect(window, s, 1), (Pairs{{FD_WRITE, 0}}));  // FD_WRITE at once, once

  ASSERT_EQ(ws.send_to(sender, s, "one"), 3);
  ASSERT_EQ(ws.send_to(sender, s, "two"), 3);
  EXPECT_EQ(collect(window, s, 1), (Pairs{{FD_READ, 0}}));  // not again before a receive
  char buffer[16];
  ASSERT_EQ(ws.recvfrom(s, buffer, sizeof(buffer), 0, nullptr, nullptr), 3);
  EXPECT_EQ(collect(window, s, 1), (Pairs{{FD_READ, 0}}));  // data still waits
  ASSERT_EQ(ws.recvfrom(s, buffer, sizeof(buffer), 0, nullptr, nullptr), 3);
  EXPECT_EQ(collect(window, s, 0), Pairs{});
  EXPECT_EQ(ws.recvfrom(s, buffer, sizeof(buffer), 0, nullptr, nullptr), SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEWOULDBLOCK);  // selecting made the socket non-blocking
  uint32_t off = 0;
  EXPECT_EQ(ws.ioctlsocket(s, FIONBIO, &off), SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEINVAL);

  ASSERT_EQ(ws.send_to(sender, s, "three"), 5);
  EXPECT_EQ(collect(window, s, 1), (Pairs{{FD_READ, 0}}));
  ASSERT_EQ(ws.send_to(sender, s, "four"), 4);
  ThreadRunner([&] {
    EXPECT_EQ(ws.recvfrom(s, buffer, sizeof(buffer), 0, nullptr, nullptr), 5);
  }).join();
  EXPECT_EQ(collect(window, s, 1), (Pairs{{FD_READ, 0}})) << "a receive on another thread";
  ASSERT_EQ(ws.WSAAsyncSelect(s, window.get(), 0, 0), 0);
  ASSERT_EQ(ws.recvfrom(s, buffer, sizeof(buffer), 0, nullptr, nullptr), 4);
  ASSERT_EQ(ws.send_to(sender, s, "four"), 4);
  EXPECT_EQ(collect(window, s, 0), Pairs{}) << "a cancelled selection posts nothing";

  EXPECT_EQ(ws.WSAAsyncSelect(s, reinterpret_cast<HWND>(0x7654321), kSocketMessage, FD_READ),
            SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEINVAL);
  EXPECT_EQ(ws.closesocket(s), 0);
  EXPECT_EQ(ws.closesocket(sender), 0);
}

TEST_F(Wsock32Sockets, StreamNotificationsFollowTheConnection) {
  MessageWindow window;
  PeerListener listener;
  SOCKET s = ws.socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(ws.WSAAsyncSelect(s, window.get(), kSocketMessage,
                              FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE),
            0);
  EXPECT_EQ(collect(window, s, 0), Pairs{}) << "nothing to say before a connection";
  SOCKADDR_IN peer = ws.address(INADDR_LOOPBACK, listener.port());
  const int result = ws.connect(s, reinterpret_cast<SOCKADDR*>(&peer), sizeof(peer));
  if (result == SOCKET_ERROR) {
    EXPECT_EQ(ws.WSAGetLastError(), WSAEWOULDBLOCK);
  }
  int accepted = listener.accept_one();
  ASSERT_GE(accepted, 0);
  EXPECT_EQ(collect(window, s, 2), (Pairs{{FD_CONNECT, 0}, {FD_WRITE, 0}}));

  ASSERT_EQ(ws.send(s, "ping", 4, 0), 4);
  EXPECT_EQ(peer_receive(accepted, 200), "ping");
  ASSERT_TRUE(peer_send(accepted, "hello"));
  peer_close(accepted);  // the data, then the peer's close
  EXPECT_EQ(collect(window, s, 1), (Pairs{{FD_READ, 0}})) << "FD_CLOSE waits for the data";
  uint32_t waiting = 0;
  ASSERT_EQ(ws.ioctlsocket(s, FIONREAD, &waiting), 0);
  EXPECT_EQ(waiting, 5u);
  char buffer[16];
  SOCKADDR_IN from{};
  int fromLength = sizeof(from);
  ASSERT_EQ(ws.recvfrom(s, buffer, sizeof(buffer), 0, reinterpret_cast<SOCKADDR*>(&from),
                        &fromLength),
            5);
  EXPECT_EQ(from.sin_port, peer.sin_port);  // a stream's data comes from its peer
  EXPECT_EQ(collect(window, s, 1), (Pairs{{FD_CLOSE, 0}}));
  EXPECT_EQ(ws.recvfrom(s, buffer, sizeof(buffer), 0, nullptr, nullptr), 0);
  EXPECT_EQ(collect(window, s, 0), Pairs{}) << "FD_CLOSE comes once";
  EXPECT_EQ(ws.closesocket(s), 0);
}

TEST_F(Wsock32Sockets, ResetConnectionClosesWithItsError) {
  MessageWindow window;
  PeerListener listener;
  int accepted;
  SOCKET s = connected_stream(listener, accepted);
  ASSERT_EQ(ws.WSAAsyncSelect(s, window.get(), kSocketMessage, FD_READ | FD_CLOSE), 0);
  peer_reset(accepted);
  EXPECT_EQ(collect(window, s, 1), (Pairs{{FD_CLOSE, WSAECONNRESET}}));
  EXPECT_EQ(ws.closesocket(s), 0);
}

TEST_F(Wsock32Sockets, RefusedConnectionIsNotifiedWithItsError) {
  MessageWindow window;
  SOCKET s = ws.socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(ws.WSAAsyncSelect(s, window.get(), kSocketMessage, FD_WRITE | FD_CONNECT | FD_CLOSE), 0);
  SOCKADDR_IN nobody = ws.address(INADDR_LOOPBACK, unused_tcp_port());
  EXPECT_EQ(ws.connect(s, reinterpret_cast<SOCKADDR*>(&nobody), sizeof(nobody)), SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEWOULDBLOCK);
  EXPECT_EQ(collect(window, s, 1), (Pairs{{FD_CONNECT, WSAECONNREFUSED}}));
  EXPECT_EQ(ws.closesocket(s), 0);
}

TEST_F(Wsock32Sockets, BlockedSendIsFollowedByFdWrite) {
  MessageWindow window;
  PeerListener listener;
  int accepted;
  SOCKET s = connected_stream(listener, accepted);
  int small = 4096;
  ASSERT_EQ(ws.setsockopt(s, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<char*>(&small), 4), 0);
  ASSERT_EQ(ws.WSAAsyncSelect(s, window.get(), kSocketMessage, FD_WRITE), 0);
  EXPECT_EQ(collect(window, s, 1), (Pairs{{FD_WRITE, 0}}));  // connected already: can send

  const std::string block(65536, 'b');
  size_t sent = 0;
  int n;
  while ((n = ws.send(s, block.data(), static_cast<int>(block.size()), 0)) != SOCKET_ERROR) {
    sent += static_cast<size_t>(n);
  }
  ASSERT_EQ(ws.WSAGetLastError(), WSAEWOULDBLOCK);
  EXPECT_EQ(peer_receive(accepted, 300).size(), sent);
  EXPECT_EQ(collect(window, s, 1), (Pairs{{FD_WRITE, 0}})) << "once room is made, once";
  EXPECT_EQ(ws.closesocket(s), 0);
  peer_close(accepted);
}

TEST_F(Wsock32Sockets, HostNamesOfLoopback) {
  char own[256];
  ASSERT_EQ(ws.gethostname(own, sizeof(own)), 0);
  EXPECT_GT(std::strlen(own), 0u);
  EXPECT_EQ(ws.gethostname(own, 1), SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEFAULT);

  HOSTENT* host = ws.gethostbyname("localhost");
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(host->h_addrtype, AF_INET);
  EXPECT_EQ(host->h_length, 4);
  ASSERT_NE(host->h_addr_list[0], nullptr);
  uint32_t first;
  std::memcpy(&first, host->h_addr_list[0], 4);
  EXPECT_EQ(ws.ntohl(first), INADDR_LOOPBACK);
  EXPECT_EQ(host->h_aliases[0], nullptr);

  host = ws.gethostbyname("127.0.0.9");
  ASSERT_NE(host, nullptr);
  EXPECT_STREQ(host->h_name, "127.0.0.9");
  std::memcpy(&first, host->h_addr_list[0], 4);
  EXPECT_EQ(ws.ntohl(first), 0x7F000009u);
  EXPECT_EQ(host->h_addr_list[1], nullptr);

  const uint32_t loopback = ws.htonl(INADDR_LOOPBACK);
  host = ws.gethostbyaddr(reinterpret_cast<const char*>(&loopback), 4, AF_INET);
  ASSERT_NE(host, nullptr);
  EXPECT_GT(std::strlen(host->h_name), 0u);
  EXPECT_EQ(ws.gethostbyaddr(reinterpret_cast<const char*>(&loopback), 4, AF_IPX), nullptr);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEAFNOSUPPORT);
  EXPECT_EQ(ws.gethostbyname("no-such-host.invalid"), nullptr);
  EXPECT_EQ(ws.WSAGetLastError(), WSAHOST_NOT_FOUND);
}

TEST_F(Wsock32Sockets, AsynchronousLookupsFillTheBufferAndPost) {
  MessageWindow window;
  alignas(8) char buffer[MAXGETHOSTSTRUCT];
  HANDLE request = ws.WSAAsyncGetHostByName(window.get(), kLookupMessage, "localhost", buffer,
                                            sizeof(buffer));
  ASSERT_NE(request, nullptr);
  MSG msg;
  ASSERT_TRUE(window.next(msg, 10000));
  EXPECT_EQ(msg.message, kLookupMessage);
  EXPECT_EQ(msg.wParam, reinterpret_cast<WPARAM>(request));
  EXPECT_EQ(WSAGETASYNCERROR(msg.lParam), 0);
  EXPECT_GT(WSAGETASYNCBUFLEN(msg.lParam), sizeof(HOSTENT));
  auto* host = reinterpret_cast<HOSTENT*>(buffer);
  uint32_t first;
  std::memcpy(&first, host->h_addr_list[0], 4);
  EXPECT_EQ(ws.ntohl(first), INADDR_LOOPBACK);
  EXPECT_EQ(ws.WSACancelAsyncRequest(request), SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEALREADY);

  const uint32_t loopback = ws.htonl(INADDR_LOOPBACK);
  char tiny[16] = {};
  request = ws.WSAAsyncGetHostByAddr(window.get(), kLookupMessage,
                                     reinterpret_cast<const char*>(&loopback), 4, AF_INET, tiny,
                                     sizeof(tiny));
  ASSERT_NE(request, nullptr);
  ASSERT_TRUE(window.next(msg, 10000));
  EXPECT_EQ(WSAGETASYNCERROR(msg.lParam), WSAENOBUFS);
  EXPECT_GT(WSAGETASYNCBUFLEN(msg.lParam), sizeof(tiny)) << "the size it would take";
  EXPECT_EQ(std::string(tiny, sizeof(tiny)), std::string(sizeof(tiny), '\0'));

  EXPECT_EQ(ws.WSAAsyncGetHostByName(window.get(), kLookupMessage, "localhost", nullptr, 64),
            nullptr);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEFAULT);
  EXPECT_EQ(ws.WSACancelAsyncRequest(reinterpret_cast<HANDLE>(0x7FFFFFFF)), SOCKET_ERROR);
  EXPECT_EQ(ws.WSAGetLastError(), WSAEINVAL);
}

TEST_F(Wsock32Sockets, CancelledLookupsPostNothing) {
  MessageWindow window;
  constexpr int kRequests = 40;
  std::vector<std::vector<char>> buffers(kRequests, std::vector<char>(MAXGETHOSTSTRUCT));
  std::set<WPARAM> finished;
  int cancelled = 0;
  for (auto& buffer : buffers) {
    HANDLE request = ws.WSAAsyncGetHostByName(window.get(), kLookupMessage, "localhost",
                                              buffer.data(), static_cast<int>(buffer.size()));
    ASSERT_NE(request, nullptr);
    if (ws.WSACancelAsyncRequest(request) == 0) {
      ++cancelled;
    } else {
      EXPECT_EQ(ws.WSAGetLastError(), WSAEALREADY);
      finished.insert(reinterpret_cast<WPARAM>(request));
    }
  }
  EXPECT_GT(cancelled, 0);
  std::set<WPARAM> posted;
  MSG msg;
  while (window.next(msg, 500)) posted.insert(msg.wParam);
  EXPECT_EQ(posted, finished) << "only the requests that finished before their cancel posted";
}

}  // namespace
