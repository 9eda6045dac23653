// Delays: the calling thread waits for an event while its messages (or, in
// wake-function mode, its wake-ups) keep being handled. What ends a delay is
// QTLCancelDelay on the same thread, made from inside that handling.
#include <algorithm>
#include <cstdint>

#include "blocking_hook.h"
#include "critical_section_lock.h"
#include "frame.h"
#include "platform/thread.h"
#include "platform/window.h"

namespace tessel::qtl {
namespace {

constexpr int32_t kUntilCancelled = -1;
// Waits are measured as 32-bit tick differences, so one delay lasts at
// most this long whatever it asks for (about 49 days).
constexpr uint64_t kLongestWait = 0xFFFFFFFEu;

// How long a delay may last, from its start.
class Deadline {
 public:
  explicit Deadline(int32_t seconds)
      : start_(GetTickCount()),
        forever_(seconds == kUntilCancelled),
        limit_(seconds > 0 ? DWORD(std::min(uint64_t(seconds) * 1000u, kLongestWait)) : 0) {}

  bool Open() const { return forever_ || Elapsed() <= limit_; }
  // The time a wait may block: INFINITE for a delay until cancelled.
  DWORD Left() const { return forever_ ? INFINITE : limit_ - std::min(Elapsed(), limit_); }

 private:
  DWORD Elapsed() const { return GetTickCount() - start_; }

  DWORD start_;
  bool forever_;
  DWORD limit_;
};

// One wait step. Without a deadline (a delay of 0 seconds) it handles what
// is pending and returns at once.
void WaitStep(ThreadContext& context, const Deadline* deadline) {
  if (context.wakeCallback) {
    if (context.delayEvent) {
      // The event is manual-reset: it is reset before the thread's events
      // are processed, so a wake-up during that processing signals it anew
      // and the next step does not sleep over it.
      if (WaitForSingleObject(context.delayEvent, deadline ? deadline->Left() : 0) ==
          WAIT_OBJECT_0) {
        ResetEvent(context.delayEvent);
      }
    }
    QTLProcessData();
    return;
  }
  if (QTLBlockingHook hook = context.blockingHook) {
    // A hook of the caller's own decides how the thread waits.
    while (hook()) {
    }
    return;
  }
  while (DefaultBlockingHook()) {
  }
  // Every wake-up and every cross-thread cancellation arrives as a message,
  // so the thread may sleep until one comes or time runs out.
  if (deadline && context.cancelState == 0) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, deadline->Left(), QS_ALLINPUT);
  }
}

// In wake-function mode a delay waits on an event that wake-ups signal
// instead of calling the wake function.
int32_t OpenDelayEvent(ThreadContext& context) {
  context.delayEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!context.delayEvent) return QTLERR_INTERNAL;
  if (const int32_t status = SetEntryDelayEvent(context.delayEvent)) {
    CloseHandle(context.delayEvent);
    context.delayEvent = nullptr;
    return status;
  }
  return QTL_SUCCESS;
}

void CloseDelayEvent(ThreadContext& context) {
  SetEntryDelayEvent(nullptr);
  CloseHandle(context.delayEvent);
  context.delayEvent = nullptr;
}

int32_t Wait(ThreadContext& context, int32_t seconds) {
  const Deadline deadline(seconds);
  if (context.wakeCallback) {
    if (const int32_t status = OpenDelayEvent(context)) return status;
  }
  // Marked before anything runs, so that a cancellation delivered by the
  // first processing counts and a nested delay there is refused.
  context.delaying = 1;
  if (!context.armed) context.cancelState = 0;
  if (context.delayEvent) QTLProcessData();
  while (deadline.Open() && context.cancelState == 0) WaitStep(context, &deadline);
  if (context.delayEvent) {
    // Wake-ups during the delay only signalled the event: whatever they
    // announced is delivered now.
    CloseDelayEvent(context);
    QTLProcessData();
  }
  context.delaying = 0;
  const int32_t state = context.cancelState;
  context.cancelState = 0;
  context.armed = 0;
  if (state == 0) return QTLWARN_TIMEOUT;
  return state == 2 ? QTLERR_CANCELLED : QTL_SUCCESS;
}

}  // namespace
}  // namespace tessel::qtl

using tessel::CriticalSectionLock;
using namespace tessel::qtl;

int32_t QTLDelay(int32_t seconds) {
  ThreadContext* context = CurrentContext();
  if (!context) return QTLERR_NO_INIT;
  if (seconds == 0 || context->delaying) {
    if (seconds != 0) return QTLERR_BLOCKING;
    WaitStep(*context, nullptr);
    return QTL_SUCCESS;
  }
  // The delay holds the context: what runs inside it may drop the caller's
  // own last reference.
  TakeContextReference(&context);
  const int32_t status = Wait(*context, seconds);
  DropContextReference();
  return status;
}

int32_t QTLArmDelay(void) {
  ThreadContext* context = CurrentContext();
  if (!context) return QTLERR_NO_INIT;
  context->armed = 1;
  return QTL_SUCCESS;
}

void QTLCancelDelay(int32_t how) {
  ThreadContext* context = CurrentContext();
  if (!context) return;
  if (context->cancelState != 2) context->cancelState = how;
  if (context->delayEvent) SetEvent(context->delayEvent);
}

int32_t QTLCancelDelayInContext(uint32_t context, int32_t how) {
  CriticalSectionLock lock(RegistryLock());
  ThreadEntry* entry = FindEntryLocked(context);
  if (!entry) return QTLERR_BAD_CONTEXT;
  // A completion arriving after an abort must not turn it into success.
  if (entry->pendingCancel != 2) entry->pendingCancel = how;
  WakeThread(context);
  return QTL_SUCCESS;
}

int32_t QTLIsDelaying(void) {
  ThreadContext* context = CurrentContext();
  return context && context->delaying ? 1 : 0;
}
