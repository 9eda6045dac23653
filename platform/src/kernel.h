// Internal state shared by the sync, thread and window services.
//
// One process-wide lock guards every kernel-style object (events, thread
// objects), every message queue and the window tables. Waits and posts cross
// threads all the time; with a single lock "check the condition, then sleep"
// can never miss a wake-up, and posts to one thread get one total order.
// Nothing calls out of the platform layer (window procedures, thread start
// routines) while holding it.
//
// Each thread that waits or owns a queue has a ThreadState with one
// condition variable, always used with the kernel lock. Anything that may
// satisfy that thread's wait (an event being set, a message being posted,
// a thread ending) wakes it, once the lock is released: a thread woken
// while the lock is still held would only block again on the lock. A thread
// that waits for messages while sockets are selected to its windows sleeps
// in its socket watch instead, and is woken through it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/window.h"
#include "socket_watch.h"

namespace platform {

std::mutex& kernel_mutex();

// A thread's state lives as long as someone still has to wake it, even if
// the thread leaves meanwhile.
struct ThreadState : std::enable_shared_from_this<ThreadState> {
  DWORD id = 0;
  std::condition_variable wake;
  std::deque<MSG> posted;
  bool quit_pending = false;
  int quit_code = 0;
  // Made when a socket is first selected to one of the thread's windows.
  std::shared_ptr<SocketWatch> sockets;
  // Set while the thread sleeps in `sockets` rather than on `wake`.
  bool watching = false;
};

// The kernel lock, held for the object's life; the wakes asked for while it
// is held are made after it is released.
class KernelLock {
 public:
  explicit KernelLock(std::mutex& mutex) : lock_(mutex) {}
  ~KernelLock();
  KernelLock(const KernelLock&) = delete;
  KernelLock& operator=(const KernelLock&) = delete;

  void wake_after_release(ThreadState& thread);
  // For condition-variable waits, which release and retake it.
  std::unique_lock<std::mutex>& held() { return lock_; }

 private:
  struct Wake {
    std::shared_ptr<ThreadState> thread;
    std::shared_ptr<SocketWatch> watch;  // set when the thread sleeps in it
  };
  std::unique_lock<std::mutex> lock_;
  std::vector<Wake> wakes_;
};

// Something a thread can wait for. All members are used with the kernel
// lock held.
class KernelObject {
 public:
  virtual ~KernelObject() = default;
  virtual bool signalled() const = 0;
  // What a wait that is satisfied by this object does to it (an auto-reset
  // event resets).
  virtual void consume() {}
  void notify_waiters(KernelLock& lock);

  std::vector<ThreadState*> waiters;
};

// Handles and window handles come from one counter so that no HWND ever
// equals a live HANDLE: passing one for the other fails cleanly.
std::uintptr_t new_handle_value_locked();
HANDLE insert_handle_locked(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> find_handle_locked(HANDLE handle);
bool erase_handle_locked(HANDLE handle);

// The calling thread's state, created on first use. Call without the
// kernel lock held (creating it takes the lock).
ThreadState& current_thread();
// A state with a fresh id, registered so that PostThreadMessageA reaches
// it before its thread has run a single instruction.
std::shared_ptr<ThreadState> new_thread_state_locked();
void forget_thread_state_locked(const ThreadState& state);
// Makes `state` the calling thread's own (the first thing a thread started
// by CreateThread does).
void adopt_thread_state(std::shared_ptr<ThreadState> state);
// Ends the calling thread's part in the platform: its queue is dropped, its
// windows cease to exist and its id can no longer be posted to. Runs when a
// CreateThread thread returns and, for other threads, at thread exit.
void leave_current_thread();
ThreadState* find_thread_locked(DWORD id);

// Defined by the window service: removes every window the thread owns
// without calling their procedures (the thread is going away).
void drop_windows_of_locked(const ThreadState& owner);

// Sleeps with the kernel lock released until the calling thread is woken
// or `deadline` (null: none) has passed, and says whether time is left. A
// thread that waits for `messages` and watches sockets sleeps in its watch,
// posting their events meanwhile; others sleep on their condition variable.
bool sleep_locked(KernelLock& lock, ThreadState& self, bool messages,
                  const std::chrono::steady_clock::time_point* deadline);
// Posts the events of the calling thread's sockets that are due now (the
// kernel lock is released meanwhile); false when it watches none.
bool look_at_sockets_locked(KernelLock& lock, ThreadState& self);

// Waits on `count` handles (any or all) and, when `messages` is set, for a
// message in the calling thread's queue (reported as WAIT_OBJECT_0 + count).
// Validates the handles; returns WAIT_FAILED with the last error set.
DWORD wait_for_objects(DWORD count, const HANDLE* handles, bool wait_all,
                       DWORD milliseconds, bool messages);

}  // namespace platform
