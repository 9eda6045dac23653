// Profile (.ini) files and the "Windows directory".
#pragma once

#include "platform/types.h"

// The Windows directory, where bare profile file names are looked up, is
// the folder this environment variable names; without it, the folder the
// program gave PlatformSetWindowsDirectory; without that, the user's
// configuration folder ($XDG_CONFIG_HOME/gly or ~/.config/gly).
#define PLATFORM_WINDOWS_DIR_ENV "PLATFORM_WINDOWS_DIR"

PLATFORM_BEGIN_DECLS

// Reads `key` of `section` from `fileName` into `buffer`, cut to size - 1
// bytes and NUL-terminated; returns the number of bytes copied, without the
// NUL. A bare file name is looked up in the Windows directory; a file name
// that differs only in case will do, as on Windows. Sections and keys match
// without case. A NULL key lists the section's keys, a NULL
// section the file's section names, in file order, each NUL-terminated and
// the list ended by a second NUL (cut to the buffer: returns size - 2).
// The default comes back when the file, the section or the key is missing
// (trailing blanks of the default dropped, NULL taken as ""). Values lose
// their surrounding blanks and one pair of matching quotes; lines starting
// with ';' are comments. A NULL buffer or a size of 0 gives 0. The file is
// read on every call; any thread may call.
PLATFORM_API DWORD GetPrivateProfileStringA(const char* section, const char* key,
                                            const char* defaultValue, char* buffer,
                                            DWORD size, const char* fileName);
// The key's value as a decimal number: an optional sign, then digits up to
// the first non-digit (none gives 0). A negative number comes back as its
// two's complement. The default when the file, section or key is missing.
PLATFORM_API UINT GetPrivateProfileIntA(const char* section, const char* key,
                                        int defaultValue, const char* fileName);
// Makes `directory` the Windows directory unless the environment names
// another; NULL or "" forgets an earlier call. A program calls it at start-up
// with the folder of its data files. Any thread may call.
PLATFORM_API void PlatformSetWindowsDirectory(const char* directory);
// Copies the Windows directory and returns its length; when it does not fit
// (or buffer is NULL), returns the size needed, NUL included.
PLATFORM_API UINT GetWindowsDirectoryA(char* buffer, UINT size);

PLATFORM_END_DECLS
