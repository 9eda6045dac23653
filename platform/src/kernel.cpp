#include "kernel.h"

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
  std::unique_ptr<ThreadState> state;
  ~CurrentThread() { leave_current_thread(); }
};

thread_local CurrentThread current;

}  // namespace

std::mutex& kernel_mutex() { return kernel().mutex; }

void KernelObject::notify_waiters() {
  for (ThreadState* waiter : waiters) waiter->wake.notify_one();
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

std::unique_ptr<ThreadState> new_thread_state_locked() {
  Kernel& k = kernel();
  // Ids are unique among living threads; after 2^32 threads the counter
  // wraps and skips ids still in use.
  while (k.next_thread_id == 0 || k.threads.contains(k.next_thread_id)) ++k.next_thread_id;
  auto state = std::make_unique<ThreadState>();
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

void adopt_thread_state(std::unique_ptr<ThreadState> state) { current.state = std::move(state); }

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
