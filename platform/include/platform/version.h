// GetVersionExA: which system the program runs on.
//
// This layer plays a Windows NT machine, so it reports the NT platform at
// version 4.0, build 1381, with no service pack text. Tests can put another
// version in its place to reach code that behaves differently on other
// Windows versions.
#pragma once

#include "platform/types.h"

#define VER_PLATFORM_WIN32s 0u
#define VER_PLATFORM_WIN32_WINDOWS 1u
#define VER_PLATFORM_WIN32_NT 2u

typedef struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;  // set by the caller: sizeof(OSVERSIONINFOA)
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
} OSVERSIONINFOA;

#ifdef __cplusplus
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA keeps its 148-byte layout");
#endif

PLATFORM_BEGIN_DECLS

// Fills `info`; FALSE (ERROR_INVALID_PARAMETER) when it is null or its size
// field is not sizeof(OSVERSIONINFOA). Any thread.
PLATFORM_API BOOL GetVersionExA(OSVERSIONINFOA* info);

// Reports `info` from now on (its size field is not looked at); NULL goes
// back to the layer's own version.
PLATFORM_API void PlatformReplaceVersion(const OSVERSIONINFOA* info);

PLATFORM_END_DECLS
