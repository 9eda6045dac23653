// Message queues: one per thread, first in, first out. Posting may happen
// from any thread and wakes the owner at once; reading, dispatching and
// waiting work on the calling thread's own queue. Socket notifications for
// the thread's windows are posted by the thread itself as it reads or
// waits (socket_watch.h).
//
// WM_QUIT from PostQuitMessage is a flag rather than a queued message, as on
// Windows: it is reported once no other message matches, whatever the
// filters, so a loop with a window filter still sees it.
#include <optional>

#include "platform/error.h"
#include "platform/sync.h"
#include "platform/thread.h"
#include "window_table.h"

namespace platform {
namespace {

// Posted messages a queue holds at most, as Windows limits them, so that a
// thread that stops reading cannot make its posters exhaust memory.
constexpr size_t kQueueLimit = 10000;

// Filter value that selects thread messages only (those without a window).
const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(-1);

BOOL enqueue_locked(KernelLock& lock, ThreadState& owner, HWND window, UINT message,
                    WPARAM wParam, LPARAM lParam) {
  if (owner.posted.size() >= kQueueLimit) {
    SetLastError(ERROR_NOT_ENOUGH_QUOTA);
    return FALSE;
  }
  owner.posted.push_back(MSG{window, message, wParam, lParam, GetTickCount()});
  lock.wake_after_release(owner);
  return TRUE;
}

bool matches(const MSG& msg, HWND window, UINT minFilter, UINT maxFilter) {
  if (window == kThreadMessagesOnly ? msg.hwnd != nullptr : window && msg.hwnd != window) {
    return false;
  }
  return (minFilter == 0 && maxFilter == 0) ||
         (minFilter <= msg.message && msg.message <= maxFilter);
}

// A window filter must name one of the calling thread's windows.
bool filter_usable_locked(HWND window, const ThreadState& self) {
  return !window || window == kThreadMessagesOnly || own_window_locked(window, self);
}

std::optional<MSG> take_locked(ThreadState& self, HWND window, UINT minFilter, UINT maxFilter,
                               bool remove) {
  for (auto it = self.posted.begin(); it != self.posted.end(); ++it) {
    if (matches(*it, window, minFilter, maxFilter)) {
      MSG msg = *it;
      if (remove) self.posted.erase(it);
      return msg;
    }
  }
  if (self.quit_pending) {
    if (remove) self.quit_pending = false;
    return MSG{nullptr, WM_QUIT, static_cast<WPARAM>(self.quit_code), 0, GetTickCount()};
  }
  return std::nullopt;
}

}  // namespace
}  // namespace platform

using namespace platform;

// Any thread. A null window posts to the calling thread's own queue.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!window) return PostThreadMessageA(GetCurrentThreadId(), message, wParam, lParam);
  KernelLock lock(kernel_mutex());
  Window* target = find_window_locked(window);
  // A window in its WM_DESTROY takes nothing more: its queue is about to
  // be dropped.
  if (!target || target->destroying) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return enqueue_locked(lock, *target->owner, window, message, wParam, lParam);
}

// Any thread.
BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  KernelLock lock(kernel_mutex());
  ThreadState* target = find_thread_locked(threadId);
  if (!target) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  return enqueue_locked(lock, *target, nullptr, message, wParam, lParam);
}

// Calling thread's queue.
void PostQuitMessage(int exitCode) {
  ThreadState& self = current_thread();
  KernelLock lock(kernel_mutex());
  self.quit_pending = true;
  self.quit_code = exitCode;
}

// Calling thread's queue.
BOOL PeekMessageA(MSG* msg, HWND window, UINT minFilter, UINT maxFilter, UINT removeFlags) {
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ThreadState& self = current_thread();
  KernelLock lock(kernel_mutex());
  if (!filter_usable_locked(window, self)) return FALSE;
  const bool remove = (removeFlags & PM_REMOVE) != 0;
  auto taken = take_locked(self, window, minFilter, maxFilter, remove);
  // Socket events that are due but not yet posted count as waiting.
  if (!taken && look_at_sockets_locked(lock, self)) {
    taken = take_locked(self, window, minFilter, maxFilter, remove);
  }
  if (!taken) return FALSE;
  *msg = *taken;
  return TRUE;
}

// Calling thread's queue; sleeps until a matching message is posted.
BOOL GetMessageA(MSG* msg, HWND window, UINT minFilter, UINT maxFilter) {
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  ThreadState& self = current_thread();
  KernelLock lock(kernel_mutex());
  for (;;) {
    if (!filter_usable_locked(window, self)) return -1;
    if (auto taken = take_locked(self, window, minFilter, maxFilter, true)) {
      *msg = *taken;
      return msg->message == WM_QUIT ? FALSE : TRUE;
    }
    sleep_locked(lock, self, true, nullptr);
  }
}

// There are no keyboard messages to translate.
BOOL TranslateMessage(const MSG* /*msg*/) { return FALSE; }

// Owner thread of msg->hwnd. Thread messages (no window) go nowhere.
LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!msg->hwnd) return 0;
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

// Calling thread's queue and any handles.
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                DWORD milliseconds, DWORD wakeMask) {
  if (count >= MAXIMUM_WAIT_OBJECTS || (count > 0 && !handles)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  return wait_for_objects(count, handles, waitAll != FALSE, milliseconds,
                          (wakeMask & QS_POSTMESSAGE) != 0);
}
