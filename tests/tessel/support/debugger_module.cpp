// A stand-in for the optional diagnostic library: the three entry points the
// runtime resolves, doing nothing.
#define DEBUGGER_EXPORT extern "C" __attribute__((visibility("default")))

DEBUGGER_EXPORT void QDEBUGInit() {}
DEBUGGER_EXPORT void QDEBUGCleanup() {}
DEBUGGER_EXPORT void QDEBUGRecordEvent() {}
