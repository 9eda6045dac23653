// The runtime services' share of the library's start and end.
#pragma once

namespace tessel::qrtl {

// In this order: the event slot, the logging locks, the logging settings,
// the debugger. Without the event slot nothing is started: the reason goes
// to standard error and the result is false; the services then answer every
// call with a status (logging cannot be enabled, events have no context).
bool StartRuntimeServices();
// Undoes the start in the order the start's own steps leave it: debugger,
// logging, event slot. Also after a start that failed.
void StopRuntimeServices();

// The pieces, each kept by its own service.
bool AllocateEventSlot();
void FreeEventSlot();
void StartLogging();
void StopLogging();
void LoadOwnDebugger();
void UnloadOwnDebugger();

}  // namespace tessel::qrtl
