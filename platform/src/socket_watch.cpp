#include "socket_watch.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "kernel.h"
#include "platform/error.h"
#include "platform/thread.h"
#include "window_table.h"

namespace platform {
namespace {

// The wake entry's key: no socket handle takes this value.
constexpr std::uint64_t kWakeKey = ~std::uint64_t(0);

}  // namespace

SocketWatch::SocketWatch(Ready ready, DWORD owner)
    : ready_(ready),
      owner_(owner),
      epoll_fd_(epoll_create1(EPOLL_CLOEXEC)),
      wake_fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (!usable()) return;
  epoll_event entry{};
  entry.events = EPOLLIN;
  entry.data.u64 = kWakeKey;
  if (epoll_ctl(epoll_fd_, EPOLL_CTL_ADD, wake_fd_, &entry) != 0) {
    close(wake_fd_);
    wake_fd_ = -1;
  }
}

SocketWatch::~SocketWatch() {
  if (epoll_fd_ >= 0) close(epoll_fd_);
  if (wake_fd_ >= 0) close(wake_fd_);
}

void SocketWatch::wait(int milliseconds) {
  if (!look_again_.empty()) {
    // What these looks post is waiting now, so the wait below only looks.
    looking_.swap(look_again_);
    for (std::uint64_t key : looking_) ready_(key, 0);
    looking_.clear();
    milliseconds = 0;
  }
  epoll_event events[64];
  const int count = epoll_wait(epoll_fd_, events, 64, milliseconds);
  for (int i = 0; i < count; ++i) {
    if (events[i].data.u64 == kWakeKey) {
      // The count only wakes the loop; an eventfd read cannot come short.
      std::uint64_t wakes;
      if (read(wake_fd_, &wakes, sizeof wakes) < 0) continue;
    } else {
      ready_(events[i].data.u64, events[i].events);
    }
  }
}

void SocketWatch::wake() {
  const std::uint64_t one = 1;
  // A full counter (EAGAIN) already wakes the loop.
  if (write(wake_fd_, &one, sizeof one) < 0) return;
}

bool SocketWatch::watched_by_caller() const { return GetCurrentThreadId() == owner_; }

std::shared_ptr<SocketWatch> socket_watch_for(HWND window, SocketWatch::Ready ready) {
  KernelLock lock(kernel_mutex());
  Window* target = find_window_locked(window);
  if (!target) return nullptr;
  ThreadState& owner = *target->owner;
  if (!owner.sockets) {
    auto watch = std::make_shared<SocketWatch>(ready, owner.id);
    if (!watch->usable()) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    owner.sockets = std::move(watch);
    // A thread asleep on its condition variable moves into the watch when
    // it next goes to sleep.
    lock.wake_after_release(owner);
  }
  return owner.sockets;
}

}  // namespace platform
