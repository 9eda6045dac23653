// The 1-second pulse: event 301 of the transport subsystem, raised on the
// enabling thread by a timer that sets itself anew after each pulse.
#include "frame.h"
#include "timers.h"

namespace tessel::qtl {
namespace {

constexpr uint32_t kPulseInterval = 1000;
constexpr int32_t kTransportSubsystem = 3;

void Pulse(QTLTimer timer, uintptr_t) {
  ThreadContext* context = CurrentContext();
  if (!context || context->pulseTimer != timer) return;
  QRTLGenerateEvent(QTL_EVENT_PULSE, kTransportSubsystem, 0, 0);
  // A handler may have disabled the pulse, enabled it anew or released the
  // context: only a pulse still wanted through this timer is set again.
  context = CurrentContext();
  if (!context || context->pulseTimer != timer) return;
  context->pulseTimer = QTLInitTimer(kPulseInterval, 0, Pulse, nullptr);
}

}  // namespace
}  // namespace tessel::qtl

using namespace tessel::qtl;

int32_t QTLEnable1SecPulse(void) {
  if (const int32_t status = QTLInit(0)) return status;
  ThreadContext* context = CurrentContext();
  if (context->pulseCount == 0) {
    int32_t status = QTL_SUCCESS;
    context->pulseTimer = QTLInitTimer(kPulseInterval, 0, Pulse, &status);
    if (!context->pulseTimer) {
      QTLCleanup(0);
      return status;
    }
  }
  ++context->pulseCount;
  return QTL_SUCCESS;
}

int32_t QTLDisable1SecPulse(void) {
  ThreadContext* context = CurrentContext();
  if (!context) return QTLERR_NO_INIT;
  int32_t status = QTL_SUCCESS;
  if (context->pulseCount > 0 && --context->pulseCount == 0) {
    QTLTimer timer = context->pulseTimer;
    context->pulseTimer = nullptr;
    // Disabled from a pulse handler, the running timer cannot be cancelled;
    // it is freed when the handler returns and is not set again.
    if (!IsTimerRunning(timer)) status = QTLCancelTimer(timer);
  }
  QTLCleanup(0);
  return status;
}
