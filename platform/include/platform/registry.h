// The registry: hives, keys and values with the Win32 names and results.
//
// Each hive lives in one SQLite file. Its place comes from an environment
// variable, read when the hive is first used in the process:
//   HKEY_LOCAL_MACHINE  PLATFORM_REGISTRY_HKLM  default <config>/gly/registry/hklm.sqlite
//   HKEY_CURRENT_USER   PLATFORM_REGISTRY_HKCU  default <config>/gly/registry/hkcu.sqlite
// where <config> is $XDG_CONFIG_HOME, else $HOME/.config. The file and its
// folders are created on first use (with "<file>.lock" beside it, which
// orders processes setting up the same file), and a new hive starts with the key
// "Software", which every Windows hive has. HKEY_CLASSES_ROOT and HKEY_USERS
// are not provided: using them gives ERROR_INVALID_HANDLE.
//
// A file of another user is never used as a hive: when the hive's file, a
// file SQLite keeps beside it ("-wal", "-shm", "-journal") or the lock file,
// or a symbolic link in the place of one of them, belongs to a user other
// than the process's effective user and root, every call on the hive fails
// with ERROR_INVALID_OWNER, and nothing is created where such a link points.
// A link of the user's own or of root's is followed.
//
// A hive that exists but cannot be written (its folder or file read-only,
// the disk full) is opened for reading only: its keys and values read as
// usual, and every call that would change it fails with ERROR_CANTWRITE.
// Each later use tries again to open it for writing. Where SQLite cannot
// share the reading with other processes (no "-shm" file can be used
// beside the hive) the file is read as it stands, without changes another
// process has not yet written back into it.
//
// Key and value names match without case and keep the case they were
// created with. Every call is one SQLite transaction, so several threads and
// several processes may use the same hive at once; a writer waits for
// another process's write to finish instead of failing.
//
// A handle belongs to the process that opened it: a forked child opens its
// own keys (it may use the same hive file at once).
//
// Every function returns a Windows error number (ERROR_SUCCESS is 0) and
// leaves the thread's last-error value alone, as the Win32 registry does.
#pragma once

#include "platform/error.h"
#include "platform/types.h"

typedef struct platform_hkey* HKEY;
typedef HKEY* PHKEY;
typedef DWORD REGSAM;

typedef struct _FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
} FILETIME;

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)0x80000002u)
#define HKEY_USERS ((HKEY)(ULONG_PTR)0x80000003u)

#define PLATFORM_REGISTRY_HKLM_ENV "PLATFORM_REGISTRY_HKLM"
#define PLATFORM_REGISTRY_HKCU_ENV "PLATFORM_REGISTRY_HKCU"

// Access rights. A handle refuses what it was not opened for
// (ERROR_ACCESS_DENIED), so code that works here works on Windows too.
#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_CREATE_SUB_KEY 0x0004u
#define KEY_ENUMERATE_SUB_KEYS 0x0008u
#define KEY_NOTIFY 0x0010u
#define KEY_CREATE_LINK 0x0020u
#define KEY_WOW64_64KEY 0x0100u
#define KEY_WOW64_32KEY 0x0200u
#define KEY_READ 0x20019u
#define KEY_WRITE 0x20006u
#define KEY_EXECUTE KEY_READ
#define KEY_ALL_ACCESS 0xF003Fu

// Value types. Data of any type is kept byte for byte as it was set; REG_SZ
// data is stored with whatever terminating NUL the caller counted in.
#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_MULTI_SZ 7u

// RegCreateKeyExA options and dispositions. Volatile keys are kept like any
// other key.
#define REG_OPTION_NON_VOLATILE 0u
#define REG_OPTION_VOLATILE 1u
#define REG_CREATED_NEW_KEY 1u
#define REG_OPENED_EXISTING_KEY 2u

// Results only the registry gives.
#define ERROR_BADDB 1009u
#define ERROR_BADKEY 1010u
#define ERROR_CANTOPEN 1011u
#define ERROR_CANTREAD 1012u
#define ERROR_CANTWRITE 1013u
#define ERROR_KEY_DELETED 1018u
#define ERROR_INVALID_OWNER 1307u

// Longest key name (one path component) and value name, in characters.
#define PLATFORM_REGISTRY_MAX_KEY_NAME 255u
#define PLATFORM_REGISTRY_MAX_VALUE_NAME 16383u

PLATFORM_BEGIN_DECLS

// subKey may be a path of names separated by backslashes; NULL or "" opens
// another handle to hKey itself.
PLATFORM_API LONG RegOpenKeyExA(HKEY hKey, const char* subKey, DWORD options, REGSAM access,
                                PHKEY result);
// Creates every missing key on the path. disposition (may be NULL) tells
// whether the last key was created or already there. keyClass and
// securityAttributes are accepted and ignored.
PLATFORM_API LONG RegCreateKeyExA(HKEY hKey, const char* subKey, DWORD reserved, char* keyClass,
                                  DWORD options, REGSAM access, void* securityAttributes,
                                  PHKEY result, DWORD* disposition);
PLATFORM_API LONG RegCloseKey(HKEY hKey);

// NULL or "" names the key's default value. With data NULL and size given,
// reports the size only. A buffer too small gives ERROR_MORE_DATA with the
// needed size in *size (the buffer's content is then undefined).
PLATFORM_API LONG RegQueryValueExA(HKEY hKey, const char* valueName, DWORD* reserved, DWORD* type,
                                   BYTE* data, DWORD* size);
PLATFORM_API LONG RegSetValueExA(HKEY hKey, const char* valueName, DWORD reserved, DWORD type,
                                 const BYTE* data, DWORD size);
PLATFORM_API LONG RegDeleteValueA(HKEY hKey, const char* valueName);
// Deletes one key that has no sub-keys (ERROR_ACCESS_DENIED otherwise),
// with its values; "" names hKey itself, and a hive's root cannot go.
// Handles still open on it then fail with ERROR_KEY_DELETED.
PLATFORM_API LONG RegDeleteKeyA(HKEY hKey, const char* subKey);

// Enumeration by index: sub-keys in name order (without case), as Windows
// keeps them; values in the order they were first set. Past the end:
// ERROR_NO_MORE_ITEMS. Name sizes are in characters: in, the room including
// the NUL; out, the length without it. A name that does not fit gives
// ERROR_MORE_DATA.
PLATFORM_API LONG RegEnumValueA(HKEY hKey, DWORD index, char* valueName, DWORD* valueNameSize,
                                DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
PLATFORM_API LONG RegEnumKeyExA(HKEY hKey, DWORD index, char* name, DWORD* nameSize,
                                DWORD* reserved, char* keyClass, DWORD* keyClassSize,
                                FILETIME* lastWriteTime);
// Counts and longest lengths (names in characters without the NUL, data in
// bytes). Keys have no class here: its length is 0. Any pointer may be NULL.
PLATFORM_API LONG RegQueryInfoKeyA(HKEY hKey, char* keyClass, DWORD* keyClassSize,
                                   DWORD* reserved, DWORD* subKeys, DWORD* maxSubKeyLength,
                                   DWORD* maxClassLength, DWORD* values,
                                   DWORD* maxValueNameLength, DWORD* maxValueLength,
                                   DWORD* securityDescriptorSize, FILETIME* lastWriteTime);

PLATFORM_END_DECLS
