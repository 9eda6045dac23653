// A name service for look-up tests: the socket module's name entry points
// replaced by ones that answer from the test's own tables, count their
// calls and never leave the process. One at a time, in force while the
// object lives.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/error.h"
#include "platform/window.h"
#include "socket_module.h"

class NameServiceDouble {
 public:
  NameServiceDouble()
      : module_({{"gethostbyname", AsProc(GetHostByName)},
                 {"gethostbyaddr", AsProc(GetHostByAddr)},
                 {"WSAAsyncGetHostByName", AsProc(AsyncGetHostByName)},
                 {"WSACancelAsyncRequest", AsProc(CancelAsyncRequest)}}) {
    current_ = this;
  }
  ~NameServiceDouble() { current_ = nullptr; }

  // Forward: name to host-order address. Reverse: host-order address to
  // name. Set before the look-up starts.
  std::map<std::string, uint32_t> addresses;
  std::map<uint32_t, std::string> names;
  // Names whose forward look-up fails outright (not "no such host").
  std::set<std::string> failures;
  // Runs inside every reverse call, on the lookup thread, before it answers.
  std::function<void(uint32_t address)> onReverse;

  std::atomic<int> forwardCalls{0};   // asynchronous requests
  std::atomic<int> blockingCalls{0};  // gethostbyname
  std::atomic<int> reverseCalls{0};
  std::atomic<int> cancels{0};
  std::atomic<int> reversesUnderWay{0};
  std::atomic<int> mostReversesAtOnce{0};

  // Threads that made reverse calls.
  std::set<std::thread::id> ReverseThreads() {
    std::lock_guard<std::mutex> guard(lock_);
    return reverseThreads_;
  }

 private:
  static inline NameServiceDouble* current_ = nullptr;

  // A host entry with one address, laid out the way the socket module lays
  // out its own: the record, the alias list, the address list, the address,
  // the name. Returns the bytes used, or 0 when `size` is too small.
  static size_t PackHost(const std::string& name, uint32_t address, char* buffer, size_t size) {
    struct Layout {
      HOSTENT entry;
      char* aliases[1];
      char* addressList[2];
      uint8_t address[4];
    };
    const size_t needed = sizeof(Layout) + name.size() + 1;
    if (needed > size) return 0;
    auto* layout = reinterpret_cast<Layout*>(buffer);
    char* nameCopy = buffer + sizeof(Layout);
    std::memcpy(nameCopy, name.c_str(), name.size() + 1);
    const uint8_t wire[4] = {uint8_t(address >> 24), uint8_t(address >> 16), uint8_t(address >> 8),
                             uint8_t(address)};
    std::memcpy(layout->address, wire, sizeof wire);
    layout->aliases[0] = nullptr;
    layout->addressList[0] = reinterpret_cast<char*>(layout->address);
    layout->addressList[1] = nullptr;
    layout->entry = {nameCopy, layout->aliases, WS_AF_INET, 4, layout->addressList};
    return needed;
  }

  static HOSTENT* ThreadHost(const std::string& name, uint32_t address) {
    alignas(HOSTENT) static thread_local char storage[512];
    if (!PackHost(name, address, storage, sizeof storage)) return nullptr;
    return reinterpret_cast<HOSTENT*>(storage);
  }

  static HOSTENT* GetHostByName(const char* name) {
    NameServiceDouble& self = *current_;
    ++self.blockingCalls;
    auto found = self.addresses.find(name);
    if (found == self.addresses.end()) {
      SetLastError(self.failures.count(name) ? WSANO_RECOVERY : WSAHOST_NOT_FOUND);
      return nullptr;
    }
    return ThreadHost(found->first, found->second);
  }

  // Answers at once: the reply is queued for the window before this
  // returns, and read when the caller's thread handles its messages.
  static HANDLE AsyncGetHostByName(HWND window, UINT message, const char* name, char* buffer,
                                   int length) {
    NameServiceDouble& self = *current_;
    const int request = ++self.forwardCalls;
    auto found = self.addresses.find(name);
    int error = self.failures.count(name) ? WSANO_RECOVERY : WSAHOST_NOT_FOUND;
    size_t used = 0;
    if (found != self.addresses.end()) {
      used = PackHost(found->first, found->second, buffer, size_t(length));
      error = used ? 0 : WSAENOBUFS;
    }
    PostMessageA(window, message, WPARAM(request), WSAMAKEASYNCREPLY(used, error));
    return reinterpret_cast<HANDLE>(intptr_t(request));
  }

  static int CancelAsyncRequest(HANDLE) {
    ++current_->cancels;
    return 0;
  }

  static HOSTENT* GetHostByAddr(const char* address, int length, int type) {
    NameServiceDouble& self = *current_;
    ++self.reverseCalls;
    const int underWay = ++self.reversesUnderWay;
    int most = self.mostReversesAtOnce;
    while (underWay > most && !self.mostReversesAtOnce.compare_exchange_weak(most, underWay)) {
    }
    {
      std::lock_guard<std::mutex> guard(self.lock_);
      self.reverseThreads_.insert(std::this_thread::get_id());
    }
    HOSTENT* host = nullptr;
    if (length == 4 && type == WS_AF_INET) {
      const auto* bytes = reinterpret_cast<const uint8_t*>(address);
      const uint32_t value =
          uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
      if (self.onReverse) self.onReverse(value);
      auto found = self.names.find(value);
      if (found != self.names.end()) host = ThreadHost(found->second, value);
    }
    if (!host) SetLastError(WSAHOST_NOT_FOUND);
    --self.reversesUnderWay;
    return host;
  }

  ReplacedSocketModule module_;
  std::mutex lock_;
  std::set<std::thread::id> reverseThreads_;
};
