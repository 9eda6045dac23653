// Sockets selected to a thread's windows are watched by that thread itself,
// whenever it waits for messages or looks for one: their events become
// messages in its queue without a hand-off through another thread, as the
// system posts them on Windows.
//
// A watch is one epoll set per thread, with an eventfd through which the
// thread is woken from it when something else satisfies its wait. The
// Winsock module arms its sockets in the watch of the thread that owns the
// selected window; what fires is handed to its `Ready` function on the
// watching thread.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/window.h"

namespace platform {

class SocketWatch {
 public:
  // Runs on the watching thread with no lock held, once for each armed
  // entry that fired: `key` as armed, `events` as epoll reports them.
  using Ready = void (*)(std::uint64_t key, std::uint32_t events);

  explicit SocketWatch(Ready ready);
  ~SocketWatch();
  SocketWatch(const SocketWatch&) = delete;
  SocketWatch& operator=(const SocketWatch&) = delete;

  bool usable() const { return epoll_fd_ >= 0 && wake_fd_ >= 0; }
  int epoll_fd() const { return epoll_fd_; }
  // Sleeps up to `milliseconds` (-1 without limit, 0 only looks) until a
  // socket event or a wake comes, and hands on the socket events.
  void wait(int milliseconds);
  // Any thread: ends the watching thread's current or next wait.
  void wake();

 private:
  Ready ready_;
  int epoll_fd_ = -1;
  int wake_fd_ = -1;
};

// The watch of the thread that owns `window`, made on first use; null with
// the last error set when the window does not exist or no watch can be
// made. Call without the kernel lock held.
std::shared_ptr<SocketWatch> socket_watch_for(HWND window, SocketWatch::Ready ready);

}  // namespace platform
