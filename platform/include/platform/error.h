// The calling thread's last-error value, as every platform service sets it.
#pragma once

#include "platform/types.h"

// Windows error numbers the platform services report.
#define ERROR_SUCCESS 0u
#define ERROR_FILE_NOT_FOUND 2u
#define ERROR_PATH_NOT_FOUND 3u
#define ERROR_ACCESS_DENIED 5u
#define ERROR_INVALID_HANDLE 6u
#define ERROR_NOT_ENOUGH_MEMORY 8u
#define ERROR_INVALID_PARAMETER 87u
#define ERROR_INSUFFICIENT_BUFFER 122u
#define ERROR_MOD_NOT_FOUND 126u
#define ERROR_PROC_NOT_FOUND 127u
#define ERROR_MORE_DATA 234u
#define ERROR_NO_MORE_ITEMS 259u
#define ERROR_INVALID_WINDOW_HANDLE 1400u
#define ERROR_WINDOW_OF_OTHER_THREAD 1408u
#define ERROR_CANNOT_FIND_WND_CLASS 1407u
#define ERROR_CLASS_ALREADY_EXISTS 1410u
#define ERROR_CLASS_DOES_NOT_EXIST 1411u
#define ERROR_CLASS_HAS_WINDOWS 1412u
#define ERROR_INVALID_INDEX 1413u
#define ERROR_INVALID_THREAD_ID 1444u
#define ERROR_NOT_ENOUGH_QUOTA 1816u

PLATFORM_BEGIN_DECLS

PLATFORM_API DWORD GetLastError(void);
PLATFORM_API void SetLastError(DWORD error);

// SetErrorMode exists so callers can keep the design's calls; there is no
// error box to suppress here. Returns the previous mode.
#define SEM_NOOPENFILEERRORBOX 0x8000u
PLATFORM_API UINT SetErrorMode(UINT mode);

PLATFORM_END_DECLS
