// Events, waits and re-entrant critical sections.
//
// Every kernel-style object (event, thread) is a HANDLE closed with
// CloseHandle and waited on with WaitForSingleObject/WaitForMultipleObjects.
// All functions here may be called from any thread. Handles are looked up
// in a table, so a closed or made-up handle fails with ERROR_INVALID_HANDLE
// (WAIT_FAILED for the waits) instead of being followed.
#pragma once

#include "platform/types.h"

#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64u

#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)

// A re-entrant lock. The storage is opaque; its size only has to hold the
// implementation's state and is checked there at compile time.
typedef struct CRITICAL_SECTION {
  alignas(16) unsigned char opaque[64];
} CRITICAL_SECTION;

PLATFORM_BEGIN_DECLS

// Creates an event; securityAttributes and name are accepted and ignored.
// Returns NULL (last error set) on failure.
PLATFORM_API HANDLE CreateEventA(void* securityAttributes, BOOL manualReset,
                                 BOOL initialState, const char* name);
PLATFORM_API BOOL SetEvent(HANDLE event);
PLATFORM_API BOOL ResetEvent(HANDLE event);

// Waits for a handle to become signalled, at most `milliseconds`
// (INFINITE waits for ever). An auto-reset event is reset by the wait that
// consumes it. Returns WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED.
PLATFORM_API DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// Returns WAIT_OBJECT_0 + i for the first signalled handle i (waitAll
// FALSE), WAIT_OBJECT_0 when all are signalled (waitAll TRUE; the same
// handle twice is refused). count is 1..MAXIMUM_WAIT_OBJECTS.
PLATFORM_API DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles,
                                          BOOL waitAll, DWORD milliseconds);
PLATFORM_API BOOL CloseHandle(HANDLE handle);

// Re-entrant: the owning thread may enter again and leaves as often as it
// entered. Only the owner may leave.
PLATFORM_API void InitializeCriticalSection(CRITICAL_SECTION* section);
PLATFORM_API void DeleteCriticalSection(CRITICAL_SECTION* section);
PLATFORM_API void EnterCriticalSection(CRITICAL_SECTION* section);
PLATFORM_API BOOL TryEnterCriticalSection(CRITICAL_SECTION* section);
PLATFORM_API void LeaveCriticalSection(CRITICAL_SECTION* section);

PLATFORM_END_DECLS
