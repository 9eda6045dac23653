#include "runtime.h"

#include <cstdio>

namespace tessel::qrtl {

bool StartRuntimeServices() {
  // Without the slot no thread's handlers could be kept apart. Nothing else
  // is started then: logging cannot be enabled and events have no context.
  if (!AllocateEventSlot()) {
    std::fputs(
        "tessel: the runtime services could not start: no thread-local slot is left for the "
        "event service\n",
        stderr);
    return false;
  }
  StartLogging();
  LoadOwnDebugger();
  return true;
}

void StopRuntimeServices() {
  UnloadOwnDebugger();
  StopLogging();
  FreeEventSlot();
}

}  // namespace tessel::qrtl
