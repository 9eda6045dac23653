// Sockets selected to a thread's windows are watched by that thread itself,
// whenever it waits for messages or looks for one: their events become
// messages in its queue without a hand-off through another thread, as the
// system posts them on Windows.
//
// A watch is one epoll set per thread, with an eventfd through which the
// thread is woken from it when something else satisfies its wait. The
// Winsock module arms its sockets in the watch of the thread that owns the
// selected window; what fires is handed to its `Ready` function on the
// watching thread. The watching thread can also ask to look at a socket
// again before it next waits, for a state that no epoll event will report.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/window.h"

namespace platform {

class SocketWatch {
 public:
  // Runs on the watching thread with no lock held, once for each armed
  // entry that fired: `key` as armed, `events` as epoll reports them; or
  // with events 0 for a key passed to look_again.
  using Ready = void (*)(std::uint64_t key, std::uint32_t events);

  // `owner` is the id of the thread that watches.
  SocketWatch(Ready ready, DWORD owner);
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
  // True on the watching thread.
  bool watched_by_caller() const;
  // Watching thread only: hands `key` to Ready (events 0) at the start of
  // the next wait, which then only looks.
  void look_again(std::uint64_t key) { look_again_.push_back(key); }

 private:
  Ready ready_;
  DWORD owner_;
  std::vector<std::uint64_t> look_again_;
  std::vector<std::uint64_t> looking_;  // the keys being looked at, kept for its room
  int epoll_fd_ = -1;
  int wake_fd_ = -1;
};

// The watch of the thread that owns `window`, made on first use; null with
// the last error set when the window does not exist or no watch can be
// made. Call without the kernel lock held.
std::shared_ptr<SocketWatch> socket_watch_for(HWND window, SocketWatch::Ready ready);

}  // namespace platform
