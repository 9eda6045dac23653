// Profile (.ini) files and the "Windows directory".
#pragma once

#include "platform/types.h"

// The environment variable that names the Windows directory; without it the
// installed data directory is used.
#define PLATFORM_WINDOWS_DIR_ENV "PLATFORM_WINDOWS_DIR"

PLATFORM_BEGIN_DECLS

// Reads `key` of `section` from `fileName` into `buffer`, cut to size - 1
// bytes and NUL-terminated; returns the number of bytes copied, without the
// NUL. A bare file name is looked up in the Windows directory. Sections and
// keys match without case. A NULL key lists the section's keys, a NULL
// section the file's section names, in file order, each NUL-terminated and
// the list ended by a second NUL (cut to the buffer: returns size - 2).
// The default comes back when the file, the section or the key is missing.
PLATFORM_API DWORD GetPrivateProfileStringA(const char* section, const char* key,
                                            const char* defaultValue, char* buffer,
                                            DWORD size, const char* fileName);
PLATFORM_API UINT GetPrivateProfileIntA(const char* section, const char* key,
                                        int defaultValue, const char* fileName);
PLATFORM_API UINT GetWindowsDirectoryA(char* buffer, UINT size);

PLATFORM_END_DECLS
