// Threads, thread-local slots, thread ids, the tick count and sleeping.
#pragma once

#include "platform/types.h"

#define TLS_OUT_OF_INDEXES 0xFFFFFFFFu

typedef DWORD (*LPTHREAD_START_ROUTINE)(void* parameter);

PLATFORM_BEGIN_DECLS

// Starts a thread running `start(parameter)`. The handle is signalled when
// the thread ends; close it with CloseHandle (the thread runs on).
// stackSize and flags (other than 0) are ignored. *threadId, when given,
// receives the new thread's id.
PLATFORM_API HANDLE CreateThread(void* securityAttributes, size_t stackSize,
                                 LPTHREAD_START_ROUTINE start, void* parameter,
                                 DWORD flags, DWORD* threadId);
PLATFORM_API BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);

// A small, process-unique, non-zero id of the calling thread.
PLATFORM_API DWORD GetCurrentThreadId(void);

// Thread-local slots allocated at run time. A new slot reads NULL on every
// thread. TlsAlloc returns TLS_OUT_OF_INDEXES when none is left.
PLATFORM_API DWORD TlsAlloc(void);
PLATFORM_API BOOL TlsFree(DWORD index);
PLATFORM_API void* TlsGetValue(DWORD index);
PLATFORM_API BOOL TlsSetValue(DWORD index, void* value);

// Milliseconds since an arbitrary start, monotonic, wrapping at 2^32.
PLATFORM_API DWORD GetTickCount(void);
PLATFORM_API void Sleep(DWORD milliseconds);

PLATFORM_END_DECLS
