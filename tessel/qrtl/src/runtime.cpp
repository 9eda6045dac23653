#include "runtime.h"

namespace tessel::qrtl {

bool StartRuntimeServices() {
  if (!AllocateEventSlot()) return false;
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
