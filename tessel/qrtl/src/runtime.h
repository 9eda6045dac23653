// The runtime services' share of the library's start and end.
#pragma once

namespace tessel::qrtl {

// In this order: the event slot (false when it cannot be had: the library
// must not start), the logging locks, the logging settings, the debugger.
bool StartRuntimeServices();
// Undoes the start in the order the start's own steps leave it: debugger,
// logging, event slot.
void StopRuntimeServices();

// The pieces, each kept by its own service.
bool AllocateEventSlot();
void FreeEventSlot();
void StartLogging();
void StopLogging();
void LoadOwnDebugger();
void UnloadOwnDebugger();

}  // namespace tessel::qrtl
