#include "kernel.h"

#include <algorithm>
#include <climits>
#include <unordered_map>

namespace platform {
namespace {

// Process-wide tables. They are created once and never destroyed: threads
// (the main thread among them) leave the platform from thread-exit hooks
// that may run after static destructors.
struct Kernel {
  std::mutex mutex;
  std::uintptr_t next_handle = 0x1000;
  std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> handles;
  DWORD next_thread_id = 1;
  std::unordered_map<DWORD, ThreadState*> threads;
};

Kernel& kernel() {
  static Kernel* instance = new Kernel;
  return *instance;
}

// Owns the calling thread's state; its destructor is the exit hook for
// threads that were not started by CreateThread.
struct CurrentThread {
  std::shared_ptr<ThreadState> state;
  ~CurrentThread() { leave_current_thread(); }
};

thread_local CurrentThread current;

}  // namespace

std::mutex& kernel_mutex() { return kernel().mutex; }

KernelLock::~KernelLock() {
  lock_.unlock();
  for (const Wake& wake : wakes_) {
    if (wake.watch) {
      wake.watch->wake();
    } else {
      wake.thread->wake.notify_one();
    }
  }
}

void KernelLock::wake_after_release(ThreadState& thread) {
  // A thread that posts to itself is not asleep.
  if (&thread == current.state.get()) return;
  wakes_.push_back({thread.shared_from_this(), thread.watching ? thread.sockets : nullptr});
}

bool sleep_locked(KernelLock& lock, ThreadState& self, bool messages,
                  const std::chrono::steady_clock::time_point* deadline) {
  using Clock = std::chrono::steady_clock;
  if (messages && self.sockets) {
    std::shared_ptr<SocketWatch> watch = self.sockets;
    int milliseconds = -1;
    if (deadline) {
      // Rounded up, so that the wait never ends before its deadline.
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
      milliseconds = static_cast<int>(std::clamp<long long>(left.count(), 0, INT_MAX));
    }
    self.watching = true;
    lock.held().unlock();
    watch->wait(milliseconds);
    lock.held().lock();
    self.watching = false;
    return !deadline || Clock::now() < *deadline;
  }
  if (!deadline) {
    self.wake.wait(lock.held());
    return true;
  }
  return self.wake.wait_until(lock.held(), *deadline) != std::cv_status::timeout;
}

bool look_at_sockets_locked(KernelLock& lock, ThreadState& self) {
  if (!self.sockets) return false;
  std::shared_ptr<SocketWatch> watch = self.sockets;
  lock.held().unlock();
  watch->wait(0);
  lock.held().lock();
  return true;
}

void KernelObject::notify_waiters(KernelLock& lock) {
  for (ThreadState* waiter : waiters) lock.wake_after_release(*waiter);
}

std::uintptr_t new_handle_value_locked() {
  std::uintptr_t value = kernel().next_handle;
  kernel().next_handle += 4;
  return value;
}

HANDLE insert_handle_locked(std::shared_ptr<KernelObject> object) {
  std::uintptr_t value = new_handle_value_locked();
  kernel().handles.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> find_handle_locked(HANDLE handle) {
  auto found = kernel().handles.find(reinterpret_cast<std::uintptr_t>(handle));
  return found == kernel().handles.end() ? nullptr : found->second;
}

bool erase_handle_locked(HANDLE handle) {
  return kernel().handles.erase(reinterpret_cast<std::uintptr_t>(handle)) != 0;
}

std::shared_ptr<ThreadState> new_thread_state_locked() {
  Kernel& k = kernel();
  // Ids are unique among living threads; after 2^32 threads the counter
  // wraps and skips ids still in use.
  while (k.next_thread_id == 0 || k.threads.contains(k.next_thread_id)) ++k.next_thread_id;
  auto state = std::make_shared<ThreadState>();
  state->id = k.next_thread_id++;
  k.threads.emplace(state->id, state.get());
  return state;
}

void forget_thread_state_locked(const ThreadState& state) { kernel().threads.erase(state.id); }

ThreadState& current_thread() {
  if (!current.state) {
    KernelLock lock(kernel_mutex());
    current.state = new_thread_state_locked();
  }
  return *current.state;
}

void adopt_thread_state(std::shared_ptr<ThreadState> state) { current.state = std::move(state); }

void leave_current_thread() {
  if (!current.state) return;
  {
    KernelLock lock(kernel_mutex());
    drop_windows_of_locked(*current.state);
    forget_thread_state_locked(*current.state);
  }
  current.state.reset();
}

ThreadState* find_thread_locked(DWORD id) {
  auto found = kernel().threads.find(id);
  return found == kernel().threads.end() ? nullptr : found->second;
}

}  // namespace platform
