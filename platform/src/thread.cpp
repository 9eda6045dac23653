// Threads, thread ids, the tick count and sleeping. Every function here may
// be called from any thread.
#include "platform/thread.h"

#include <limits.h>
#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "kernel.h"
#include "platform/error.h"
#include "platform/sync.h"

namespace platform {
namespace {

// The waitable side of a thread: signalled once the thread has ended.
class ThreadObject final : public KernelObject {
 public:
  bool signalled() const override { return finished; }

  bool finished = false;
  DWORD exit_code = STILL_ACTIVE;
};

struct Launch {
  LPTHREAD_START_ROUTINE start = nullptr;
  void* parameter = nullptr;
  std::shared_ptr<ThreadObject> object;
  std::shared_ptr<ThreadState> state;
};

void* run_thread(void* argument) {
  std::unique_ptr<Launch> launch(static_cast<Launch*>(argument));
  adopt_thread_state(std::move(launch->state));
  DWORD exit_code = launch->start(launch->parameter);
  // Leave before signalling, so that whoever waits for this thread finds its
  // id and windows gone once the wait returns.
  leave_current_thread();
  KernelLock lock(kernel_mutex());
  launch->object->exit_code = exit_code;
  launch->object->finished = true;
  launch->object->notify_waiters(lock);
  return nullptr;
}

bool start_detached(Launch* launch, size_t stack_size) {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  if (stack_size != 0) {
    pthread_attr_setstacksize(&attributes,
                              std::max(stack_size, static_cast<size_t>(PTHREAD_STACK_MIN)));
  }
  pthread_t thread;
  int result = pthread_create(&thread, &attributes, run_thread, launch);
  pthread_attr_destroy(&attributes);
  return result == 0;
}

}  // namespace
}  // namespace platform

using namespace platform;

HANDLE CreateThread(void* /*securityAttributes*/, size_t stackSize, LPTHREAD_START_ROUTINE start,
                    void* parameter, DWORD flags, DWORD* threadId) {
  if (!start || (flags & ~STACK_SIZE_PARAM_IS_A_RESERVATION) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto launch = std::make_unique<Launch>();
  launch->start = start;
  launch->parameter = parameter;
  launch->object = std::make_shared<ThreadObject>();
  HANDLE handle;
  DWORD id;
  {
    KernelLock lock(kernel_mutex());
    launch->state = new_thread_state_locked();
    id = launch->state->id;
    handle = insert_handle_locked(launch->object);
  }
  if (!start_detached(launch.get(), stackSize)) {
    KernelLock lock(kernel_mutex());
    forget_thread_state_locked(*launch->state);
    erase_handle_locked(handle);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  static_cast<void>(launch.release());  // the thread owns it now
  if (threadId) *threadId = id;
  return handle;
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
  KernelLock lock(kernel_mutex());
  auto* object = dynamic_cast<ThreadObject*>(find_handle_locked(thread).get());
  if (!object || !exitCode) {
    SetLastError(object ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *exitCode = object->exit_code;
  return TRUE;
}

DWORD GetCurrentThreadId(void) { return current_thread().id; }

DWORD GetTickCount(void) {
  // Boot time counts the time the machine was suspended, as the tick count
  // of the original system did.
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  auto milliseconds = static_cast<uint64_t>(now.tv_sec) * 1000u +
                      static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<DWORD>(milliseconds);
}

void Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  if (milliseconds == INFINITE) {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(24));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
