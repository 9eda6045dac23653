// The Winsock and ICMP modules as their callers see them: loaded by name
// and bound entry point by entry point, plus a window whose messages a test
// reads one by one.
#pragma once

#include <gtest/gtest.h>

#include <chrono>

#include "platform/icmp.h"
#include "platform/module.h"
#include "platform/thread.h"
#include "platform/window.h"
#include "platform/winsock.h"

struct WinsockApi {
  HMODULE module = nullptr;
  LPFN_WSASTARTUP WSAStartup;
  LPFN_WSACLEANUP WSACleanup;
  LPFN_WSAGETLASTERROR WSAGetLastError;
  LPFN_SOCKET socket;
  LPFN_CLOSESOCKET closesocket;
  LPFN_BIND bind;
  LPFN_CONNECT connect;
  LPFN_SEND send;
  LPFN_SENDTO sendto;
  LPFN_RECVFROM recvfrom;
  LPFN_SHUTDOWN shutdown;
  LPFN_GETSOCKNAME getsockname;
  LPFN_GETSOCKOPT getsockopt;
  LPFN_SETSOCKOPT setsockopt;
  LPFN_IOCTLSOCKET ioctlsocket;
  LPFN_HTONS htons;
  LPFN_HTONL htonl;
  LPFN_NTOHS ntohs;
  LPFN_NTOHL ntohl;
  LPFN_GETHOSTNAME gethostname;
  LPFN_GETHOSTBYNAME gethostbyname;
  LPFN_GETHOSTBYADDR gethostbyaddr;
  LPFN_WSAASYNCSELECT WSAAsyncSelect;
  LPFN_WSAASYNCGETHOSTBYNAME WSAAsyncGetHostByName;
  LPFN_WSAASYNCGETHOSTBYADDR WSAAsyncGetHostByAddr;
  LPFN_WSACANCELASYNCREQUEST WSACancelAsyncRequest;

  // Binds all 26 entry points; false if the module or any of them is missing.
  bool load() {
    module = LoadLibraryA("WSOCK32.DLL");
    if (module == nullptr) return false;
    bool complete = true;
    auto bind_entry = [&](auto& slot, const char* name) {
      slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(GetProcAddress(module, name));
      complete = complete && slot != nullptr;
    };
    bind_entry(WSAStartup, "WSAStartup");
    bind_entry(WSACleanup, "WSACleanup");
    bind_entry(WSAGetLastError, "WSAGetLastError");
    bind_entry(socket, "socket");
    bind_entry(closesocket, "closesocket");
    bind_entry(bind, "bind");
    bind_entry(connect, "connect");
    bind_entry(send, "send");
    bind_entry(sendto, "sendto");
    bind_entry(recvfrom, "recvfrom");
    bind_entry(shutdown, "shutdown");
    bind_entry(getsockname, "getsockname");
    bind_entry(getsockopt, "getsockopt");
    bind_entry(setsockopt, "setsockopt");
    bind_entry(ioctlsocket, "ioctlsocket");
    bind_entry(htons, "htons");
    bind_entry(htonl, "htonl");
    bind_entry(ntohs, "ntohs");
    bind_entry(ntohl, "ntohl");
    bind_entry(gethostname, "gethostname");
    bind_entry(gethostbyname, "gethostbyname");
    bind_entry(gethostbyaddr, "gethostbyaddr");
    bind_entry(WSAAsyncSelect, "WSAAsyncSelect");
    bind_entry(WSAAsyncGetHostByName, "WSAAsyncGetHostByName");
    bind_entry(WSAAsyncGetHostByAddr, "WSAAsyncGetHostByAddr");
    bind_entry(WSACancelAsyncRequest, "WSACancelAsyncRequest");
    return complete;
  }
  void unload() {
    if (module != nullptr) FreeLibrary(module);
    module = nullptr;
  }

  SOCKADDR_IN address(uint32_t hostOrderAddress, uint16_t port) const {
    SOCKADDR_IN result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    result.sin_addr.s_addr = htonl(hostOrderAddress);
    return result;
  }
  // A datagram or stream socket bound to the loopback address on a port of
  // the system's choosing.
  SOCKET bound_socket(int type, uint32_t hostOrderAddress = INADDR_LOOPBACK) const {
    SOCKET s = socket(AF_INET, type, 0);
    EXPECT_NE(s, INVALID_SOCKET);
    SOCKADDR_IN local = address(hostOrderAddress, 0);
    EXPECT_EQ(bind(s, reinterpret_cast<SOCKADDR*>(&local), sizeof(local)), 0);
    return s;
  }
  SOCKADDR_IN name_of(SOCKET s) const {
    SOCKADDR_IN name{};
    int length = sizeof(name);
    EXPECT_EQ(getsockname(s, reinterpret_cast<SOCKADDR*>(&name), &length), 0);
    return name;
  }
  int send_to(SOCKET from, SOCKET to, const std::string& data) const {
    SOCKADDR_IN target = name_of(to);
    return sendto(from, data.data(), static_cast<int>(data.size()), 0,
                  reinterpret_cast<SOCKADDR*>(&target), sizeof(target));
  }
};

// A hidden window of the calling thread whose messages are read, not
// dispatched.
class MessageWindow {
 public:
  MessageWindow() {
    static const WORD atom = [] {
      WNDCLASSA windowClass{};
      windowClass.lpfnWndProc = DefWindowProcA;
      windowClass.lpszClassName = "WinsockTestWindow";
      return RegisterClassA(&windowClass);
    }();
    EXPECT_NE(atom, 0);
    window_ = CreateWindowExA(0, "WinsockTestWindow", "", 0, 0, 0, 0, 0, nullptr, nullptr,
                              nullptr, nullptr);
    EXPECT_NE(window_, nullptr);
  }
  ~MessageWindow() { DestroyWindow(window_); }
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  HWND get() const { return window_; }

  // The next message of this window, waiting at most `milliseconds`.
  bool next(MSG& msg, DWORD milliseconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
      if (PeekMessageA(&msg, window_, 0, 0, PM_REMOVE)) return true;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
    }
  }

  // Drops every message already queued for the window.
  void clear() {
    MSG msg;
    while (PeekMessageA(&msg, window_, 0, 0, PM_REMOVE)) {
    }
  }

 private:
  HWND window_ = nullptr;
};

// Loads the module and holds one start-up for the test.
class WinsockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ws.load());
    WSADATA data;
    ASSERT_EQ(ws.WSAStartup(0x0101, &data), 0);
  }
  void TearDown() override {
    EXPECT_EQ(ws.WSACleanup(), 0);
    ws.unload();
  }

  WinsockApi ws;
};

// Message numbers the tests select with.
constexpr UINT kSocketMessage = WM_USER + 26;
constexpr UINT kLookupMessage = WM_USER + 27;
