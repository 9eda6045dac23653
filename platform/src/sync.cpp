// Events, waits and handle closing. Every function here may be called from
// any thread; each takes the kernel lock for its duration (a wait releases
// it while it sleeps).
#include "platform/sync.h"

#include "kernel.h"
#include "platform/error.h"

namespace platform {
namespace {

class Event final : public KernelObject {
 public:
  Event(bool manual_reset, bool initial_state) : manual_reset_(manual_reset), set_(initial_state) {}

  bool signalled() const override { return set_; }
  void consume() override {
    if (!manual_reset_) set_ = false;
  }
  void set(bool state, KernelLock& lock) {
    set_ = state;
    if (set_) notify_waiters(lock);
  }

 private:
  const bool manual_reset_;
  bool set_;
};

BOOL change_event(HANDLE handle, bool state) {
  KernelLock lock(kernel_mutex());
  auto* event = dynamic_cast<Event*>(find_handle_locked(handle).get());
  if (!event) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  event->set(state, lock);
  return TRUE;
}

}  // namespace
}  // namespace platform

using namespace platform;

HANDLE CreateEventA(void* /*securityAttributes*/, BOOL manualReset, BOOL initialState,
                    const char* /*name*/) {
  KernelLock lock(kernel_mutex());
  return insert_handle_locked(std::make_shared<Event>(manualReset != FALSE, initialState != FALSE));
}

BOOL SetEvent(HANDLE event) { return change_event(event, true); }

BOOL ResetEvent(HANDLE event) { return change_event(event, false); }

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  return wait_for_objects(1, &handle, false, milliseconds, false);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                             DWORD milliseconds) {
  if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  return wait_for_objects(count, handles, waitAll != FALSE, milliseconds, false);
}

BOOL CloseHandle(HANDLE handle) {
  KernelLock lock(kernel_mutex());
  if (!erase_handle_locked(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
