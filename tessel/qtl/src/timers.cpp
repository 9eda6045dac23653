#include "timers.h"

#include <cstdlib>

#include "critical_section_lock.h"
#include "frame.h"
#include "platform/thread.h"

struct QTLTimerRecord {
  uint32_t due;  // tick count of expiry
  uintptr_t userData;
  QTLTimerFunction function;
  int32_t fired;    // the timer thread has woken the owner for it
  uint32_t owner;   // the thread that set it and runs it
  int32_t running;  // its function is executing
  QTLTimerRecord* next;
};

namespace tessel::qtl {
namespace {

constexpr DWORD kThreadWait = 30000;

// Guarded by the timer-list lock: every thread's timers, earliest due first,
// equal dues in the order they were set.
QTLTimerRecord* timerList;

// Guarded by the timer-service lock. The wake event lives exactly as long
// as the thread, so the thread reads it without a lock.
HANDLE timerThread = INVALID_HANDLE_VALUE;
HANDLE wakeEvent;

// Tick counts compared through their difference, so that a due time just
// past the counter's wrap still counts as later.
bool AtOrBefore(uint32_t tick, uint32_t reference) { return int32_t(reference - tick) >= 0; }

// How long the timer thread may sleep: until the first timer it has not
// announced is due, 0 for an empty list (so that it ends).
DWORD TimeToNextExpiry() {
  CriticalSectionLock lock(TimerListLock());
  if (!timerList) return 0;
  const uint32_t now = GetTickCount();
  for (QTLTimerRecord* timer = timerList; timer; timer = timer->next) {
    if (timer->fired) continue;
    return AtOrBefore(timer->due, now) ? 0 : timer->due - now;
  }
  return INFINITE;
}

// Announces every due timer to its owner; false once the list is empty.
bool AnnounceDueTimers() {
  CriticalSectionLock lock(TimerListLock());
  if (!timerList) return false;
  const uint32_t now = GetTickCount();
  for (QTLTimerRecord* timer = timerList; timer && AtOrBefore(timer->due, now);
       timer = timer->next) {
    if (timer->fired) continue;
    timer->fired = 1;
    WakeThread(timer->owner);
  }
  return true;
}

DWORD TimerThread(void*) {
  do {
    WaitForSingleObject(wakeEvent, TimeToNextExpiry());
  } while (AnnounceDueTimers());
  return 0;
}

// Timer-service lock held.
int32_t StartTimerThread() {
  wakeEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!wakeEvent) return QTLERR_NO_TIMER;
  HANDLE thread = CreateThread(nullptr, 0, TimerThread, nullptr, 0, nullptr);
  if (!thread) {
    CloseHandle(wakeEvent);
    wakeEvent = nullptr;
    return QTLERR_NO_TIMER;
  }
  timerThread = thread;
  return QTL_SUCCESS;
}

// Timer-service lock held and the list empty: the thread has been woken
// and ends on its own.
int32_t AwaitTimerThreadEnd() {
  if (WaitForSingleObject(timerThread, kThreadWait) != WAIT_OBJECT_0) return QTLERR_INTERNAL;
  CloseHandle(timerThread);
  timerThread = INVALID_HANDLE_VALUE;
  CloseHandle(wakeEvent);
  wakeEvent = nullptr;
  return QTL_SUCCESS;
}

bool ListIsEmpty() {
  CriticalSectionLock lock(TimerListLock());
  return !timerList;
}

// Inserts the timer after every one due at or before it; starts the timer
// thread for the first timer of the list.
int32_t Insert(QTLTimerRecord* timer) {
  CriticalSectionLock service(TimerServiceLock());
  // The list only empties under this lock, so a thread still recorded with
  // an empty list is one whose end was not seen in time: a new thread starts
  // only after it has ended.
  if (timerThread != INVALID_HANDLE_VALUE && ListIsEmpty()) {
    if (const int32_t status = AwaitTimerThreadEnd()) return status;
  }
  {
    CriticalSectionLock list(TimerListLock());
    QTLTimerRecord** link = &timerList;
    while (*link && AtOrBefore((*link)->due, timer->due)) link = &(*link)->next;
    timer->next = *link;
    *link = timer;
    if (timerThread == INVALID_HANDLE_VALUE) {
      if (const int32_t status = StartTimerThread()) {
        timerList = nullptr;
        return status;
      }
    }
  }
  SetEvent(wakeEvent);
  return QTL_SUCCESS;
}

// Unlinks and frees the timer unless its function is running. `ranOut`
// marks the end of the run of its function, in the same step, so that no
// other thread can free the timer in between. The thread ends with the
// last timer.
int32_t Remove(QTLTimerRecord* timer, bool ranOut) {
  CriticalSectionLock service(TimerServiceLock());
  int32_t status = QTL_SUCCESS;
  bool empty = false;
  {
    CriticalSectionLock list(TimerListLock());
    for (QTLTimerRecord** link = &timerList; *link; link = &(*link)->next) {
      if (*link != timer) continue;
      if (ranOut) timer->running = 0;
      if (timer->running) {
        status = QTLERR_INTERNAL;
      } else {
        *link = timer->next;
        std::free(timer);
      }
      break;
    }
    empty = !timerList;
  }
  if (timerThread == INVALID_HANDLE_VALUE) return status;
  SetEvent(wakeEvent);
  if (empty) {
    if (const int32_t failure = AwaitTimerThreadEnd()) return failure;
  }
  return status;
}

QTLTimerRecord* TakeDueTimer() {
  CriticalSectionLock lock(TimerListLock());
  const uint32_t self = GetCurrentThreadId();
  const uint32_t now = GetTickCount();
  for (QTLTimerRecord* timer = timerList; timer && AtOrBefore(timer->due, now);
       timer = timer->next) {
    if (timer->owner == self && !timer->running) {
      timer->running = 1;
      return timer;
    }
  }
  return nullptr;
}

}  // namespace

bool RunOneDueTimer() {
  QTLTimerRecord* timer = TakeDueTimer();
  if (!timer) return false;
  // Running, the timer cannot be freed by anyone but this thread.
  timer->function(timer, timer->userData);
  return Remove(timer, true) == QTL_SUCCESS;
}

bool IsTimerRunning(QTLTimer timer) {
  CriticalSectionLock lock(TimerListLock());
  for (QTLTimerRecord* listed = timerList; listed; listed = listed->next) {
    if (listed == timer) return listed->running != 0;
  }
  return false;
}

void StopTimerService() {
  CriticalSectionLock service(TimerServiceLock());
  {
    CriticalSectionLock list(TimerListLock());
    while (QTLTimerRecord* timer = timerList) {
      timerList = timer->next;
      std::free(timer);
    }
  }
  if (timerThread == INVALID_HANDLE_VALUE) return;
  SetEvent(wakeEvent);
  AwaitTimerThreadEnd();
}

}  // namespace tessel::qtl

using namespace tessel::qtl;

QTLTimer QTLInitTimer(uint32_t milliseconds, uintptr_t userData, QTLTimerFunction function,
                      int32_t* status) {
  int32_t own = QTLERR_INVALID_PARAM;
  QTLTimerRecord* timer = nullptr;
  if (milliseconds != 0 && function) {
    timer = static_cast<QTLTimerRecord*>(std::calloc(1, sizeof(QTLTimerRecord)));
    own = timer ? QTL_SUCCESS : QTLERR_NOMEM;
  }
  if (timer) {
    timer->due = GetTickCount() + milliseconds;
    timer->userData = userData;
    timer->function = function;
    timer->owner = GetCurrentThreadId();
    own = Insert(timer);
    if (own != QTL_SUCCESS) {
      std::free(timer);
      timer = nullptr;
    }
  }
  if (status) *status = own;
  return timer;
}

int32_t QTLCancelTimer(QTLTimer timer) {
  if (!timer) return QTLERR_INVALID_PARAM;
  return Remove(timer, false);
}
