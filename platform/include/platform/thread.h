// Threads, thread-local slots, thread ids, the tick count and sleeping.
#pragma once

#include "platform/types.h"

#define TLS_OUT_OF_INDEXES 0xFFFFFFFFu
#define STILL_ACTIVE 259u
#define STACK_SIZE_PARAM_IS_A_RESERVATION 0x00010000u

typedef DWORD (*LPTHREAD_START_ROUTINE)(void* parameter);

PLATFORM_BEGIN_DECLS

// Starts a thread running `start(parameter)`. The handle is signalled when
// the thread ends (after its windows and queue are gone); close it with
// CloseHandle (the thread runs on). A non-zero stackSize sets the stack
// size. flags must be 0 or STACK_SIZE_PARAM_IS_A_RESERVATION: a suspended
// start is not offered, and asking for one fails rather than starting the
// thread early. *threadId, when given, receives the new thread's id, which
// PostThreadMessageA accepts at once.
// All functions here may be called from any thread.
PLATFORM_API HANDLE CreateThread(void* securityAttributes, size_t stackSize,
                                 LPTHREAD_START_ROUTINE start, void* parameter,
                                 DWORD flags, DWORD* threadId);
// STILL_ACTIVE while the thread runs, then its start routine's result.
PLATFORM_API BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);

// A non-zero id of the calling thread, unique among living threads.
PLATFORM_API DWORD GetCurrentThreadId(void);

// Thread-local slots allocated at run time. A new slot reads NULL on every
// thread, also when a freed index is handed out again. TlsAlloc returns
// TLS_OUT_OF_INDEXES when none is left. TlsGetValue clears the last error
// on success, so a stored NULL can be told from a bad index.
PLATFORM_API DWORD TlsAlloc(void);
PLATFORM_API BOOL TlsFree(DWORD index);
PLATFORM_API void* TlsGetValue(DWORD index);
PLATFORM_API BOOL TlsSetValue(DWORD index, void* value);

// Milliseconds since an arbitrary start, monotonic, wrapping at 2^32.
PLATFORM_API DWORD GetTickCount(void);
PLATFORM_API void Sleep(DWORD milliseconds);

PLATFORM_END_DECLS
