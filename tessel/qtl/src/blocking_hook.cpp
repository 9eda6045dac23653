#include "blocking_hook.h"

#include "frame.h"
#include "platform/window.h"

namespace tessel::qtl {

int32_t DefaultBlockingHook() {
  MSG message;
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return 0;
  TranslateMessage(&message);
  DispatchMessageA(&message);
  return 1;
}

}  // namespace tessel::qtl

using namespace tessel::qtl;

QTLBlockingHook QTLSetBlockingHook(QTLBlockingHook hook, int32_t* status) {
  int32_t own = QTL_SUCCESS;
  QTLBlockingHook previous = DefaultBlockingHook;
  if (ThreadContext* context = CurrentContext()) {
    if (context->blockingHook) previous = context->blockingHook;
    if (hook) {
      // The default hook is kept as "no hook", so that a delay knows it may
      // sleep on the message queue between messages.
      context->blockingHook = hook == DefaultBlockingHook ? nullptr : hook;
    } else {
      own = QTLERR_INVALID_PARAM;
    }
  } else {
    own = QTLERR_NO_INIT;
  }
  if (status) *status = own;
  return previous;
}

int32_t QTLSetDefaultBlockingHook(void) {
  int32_t status = QTL_SUCCESS;
  QTLSetBlockingHook(DefaultBlockingHook, &status);
  return status;
}
