// gethostname, gethostbyname, gethostbyaddr and their asynchronous forms.
//
// An asynchronous look-up runs on a thread of its own and reports through
// the caller's window: wParam is the request handle, lParam
// WSAMAKEASYNCREPLY(bytes of the host entry, error). The caller's buffer is
// written only together with that post, under the lock that
// WSACancelAsyncRequest takes, so once a request is cancelled neither its
// buffer nor its window is touched again.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <thread>
#include <unordered_map>

#include "entry_points.h"
#include "host_entry.h"
#include "platform/error.h"

namespace wsock32 {
namespace {

// The calling thread's host entry, as Winsock keeps one per thread.
HOSTENT* thread_host_entry(const HostInfo& host) {
  thread_local std::vector<uint64_t> storage;  // 8-byte words: pointers align
  const size_t needed = pack_host_entry(host, nullptr, 0);
  storage.assign((needed + sizeof(uint64_t) - 1) / sizeof(uint64_t), 0);
  pack_host_entry(host, storage.data(), storage.size() * sizeof(uint64_t));
  return reinterpret_cast<HOSTENT*>(storage.data());
}

// 0, or the Winsock error of an address argument that is not one IPv4
// address.
int check_address(const char* address, int length, int type) {
  if (address == nullptr) return WSAEFAULT;
  if (type != WS_AF_INET) return WSAEAFNOSUPPORT;
  if (length != static_cast<int>(sizeof(uint32_t))) return WSAEFAULT;
  return 0;
}

uint32_t read_address(const char* address) {
  uint32_t value;
  std::memcpy(&value, address, sizeof(value));
  return value;
}

struct Request {
  HWND window;
  UINT message;
  char* buffer;
  int length;
};

class Lookups {
 public:
  HANDLE start(HWND window, UINT message, char* buffer, int length,
               std::function<int(HostInfo&)> resolve) {
    uintptr_t id;
    {
      std::lock_guard<std::mutex> guard(lock_);
      id = next_id_++;
      pending_.emplace(id, Request{window, message, buffer, length});
    }
    try {
      std::thread([this, id, resolve = std::move(resolve)] {
        HostInfo host;
        const int error = resolve(host);
        finish(id, host, error);
      }).detach();
    } catch (const std::system_error&) {
      std::lock_guard<std::mutex> guard(lock_);
      pending_.erase(id);
      fail(WSAENOBUFS);
      return nullptr;
    }
    return reinterpret_cast<HANDLE>(id);
  }

  int cancel(HANDLE request) {
    const uintptr_t id = reinterpret_cast<uintptr_t>(request);
    std::lock_guard<std::mutex> guard(lock_);
    if (pending_.erase(id) == 1) return 0;
    // A handle that was given out has finished or was cancelled already.
    return fail(id != 0 && id < next_id_ ? WSAEALREADY : WSAEINVAL);
  }

  void cancel_all() {
    std::lock_guard<std::mutex> guard(lock_);
    pending_.clear();
  }

 private:
  void finish(uintptr_t id, const HostInfo& host, int error) {
    std::lock_guard<std::mutex> guard(lock_);
    auto found = pending_.find(id);
    if (found == pending_.end()) return;  // cancelled
    const Request request = found->second;
    pending_.erase(found);
    size_t size = 0;
    if (error == 0) {
      size = pack_host_entry(host, request.buffer, static_cast<size_t>(request.length));
      if (size > static_cast<size_t>(request.length)) error = WSAENOBUFS;
    }
    PostMessageA(request.window, request.message, static_cast<WPARAM>(id),
                 WSAMAKEASYNCREPLY(std::min<size_t>(size, 0xFFFF), error));
  }

  std::mutex lock_;
  std::unordered_map<uintptr_t, Request> pending_;
  uintptr_t next_id_ = 1;
};

Lookups& lookups() {
  static Lookups* instance = new Lookups;  // look-up threads may outlive exit
  return *instance;
}

bool valid_request_buffer(const char* buffer, int length) {
  return buffer != nullptr && length > 0;
}

}  // namespace

int ws_gethostname(char* name, int nameLength) {
  if (!started()) return WS_SOCKET_ERROR;
  if (name == nullptr || nameLength <= 0) return fail(WSAEFAULT);
  char own[256];
  if (gethostname(own, sizeof(own)) != 0) return fail(PlatformWinsockErrorFromErrno(errno));
  own[sizeof(own) - 1] = '\0';
  const size_t size = std::strlen(own) + 1;
  if (size > static_cast<size_t>(nameLength)) return fail(WSAEFAULT);
  std::memcpy(name, own, size);
  return 0;
}

HOSTENT* ws_gethostbyname(const char* name) {
  if (!started()) return nullptr;
  HostInfo host;
  if (int error = resolve_name(name, host)) {
    fail(error);
    return nullptr;
  }
  return thread_host_entry(host);
}

HOSTENT* ws_gethostbyaddr(const char* address, int length, int type) {
  if (!started()) return nullptr;
  HostInfo host;
  int error = check_address(address, length, type);
  if (error == 0) error = resolve_address(read_address(address), host);
  if (error != 0) {
    fail(error);
    return nullptr;
  }
  return thread_host_entry(host);
}

HANDLE ws_WSAAsyncGetHostByName(HWND window, UINT message, const char* name, char* buffer,
                                int bufferLength) {
  if (!started()) return nullptr;
  if (name == nullptr || !valid_request_buffer(buffer, bufferLength)) {
    fail(WSAEFAULT);
    return nullptr;
  }
  return lookups().start(window, message, buffer, bufferLength,
                         [name = std::string(name)](HostInfo& host) {
                           return resolve_name(name.c_str(), host);
                         });
}

HANDLE ws_WSAAsyncGetHostByAddr(HWND window, UINT message, const char* address, int length,
                                int type, char* buffer, int bufferLength) {
  if (!started()) return nullptr;
  int error = check_address(address, length, type);
  if (error == 0 && !valid_request_buffer(buffer, bufferLength)) error = WSAEFAULT;
  if (error != 0) {
    fail(error);
    return nullptr;
  }
  return lookups().start(window, message, buffer, bufferLength,
                         [value = read_address(address)](HostInfo& host) {
                           return resolve_address(value, host);
                         });
}

int ws_WSACancelAsyncRequest(HANDLE request) {
  if (!started()) return WS_SOCKET_ERROR;
  return lookups().cancel(request);
}

void cancel_all_lookups() { lookups().cancel_all(); }

}  // namespace wsock32
