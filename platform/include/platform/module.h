// Modules: LoadLibraryA / GetProcAddress / FreeLibrary.
//
// Names are compared without case, and, as on Windows, a name without an
// extension means the same name with ".DLL" ("wsock32" is "WSOCK32.DLL"; a
// trailing dot, "name.", means no extension). A name registered as a
// built-in module ("WSOCK32.DLL", "ICMP.DLL", ...) resolves to its table of
// entry points; any other name is opened with dlopen, a bare name first in
// the program's directory. Loading the same name again returns the same
// handle and adds a reference; FreeLibrary drops one and closes the module
// at zero. Failures return NULL / FALSE and set the last error:
// ERROR_MOD_NOT_FOUND, ERROR_PROC_NOT_FOUND, ERROR_INVALID_HANDLE.
// Entry points of built-in modules are looked up by exact name, as
// GetProcAddress does; ordinals are not supported. All functions may be
// called from any thread.
#pragma once

#include "platform/types.h"

typedef struct PlatformExport {
  const char* name;
  FARPROC address;
} PlatformExport;

// A built-in module: its entry points, ended by a {NULL, NULL} row.
typedef struct PlatformModuleTable {
  const char* name;
  const PlatformExport* exports;
} PlatformModuleTable;

PLATFORM_BEGIN_DECLS

PLATFORM_API HMODULE LoadLibraryA(const char* name);
PLATFORM_API FARPROC GetProcAddress(HMODULE module, const char* procName);
PLATFORM_API BOOL FreeLibrary(HMODULE module);
// The full path of the running program (module NULL) or of a loaded module;
// a built-in module has no file and reports its registered name. A path
// that does not fit is cut and `size` returned (ERROR_INSUFFICIENT_BUFFER).
PLATFORM_API DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size);

// The module a LoadLibraryA of `name` would share now, without adding a
// reference; NULL (ERROR_MOD_NOT_FOUND) when no module of that name was
// loaded through LoadLibraryA. name NULL gives NULL: the program itself is
// not a module here.
PLATFORM_API HMODULE GetModuleHandleA(const char* name);

// Registers a built-in module under table->name. The table must outlive the
// registration. Returns FALSE if a module of that name is already built in.
PLATFORM_API BOOL PlatformRegisterModule(const PlatformModuleTable* table);

// Puts `table` in place of whatever the name resolves to, until
// PlatformRestoreModule(name) is called; tests use it to supply failing
// entry points. Handles loaded before the replacement keep their module.
PLATFORM_API BOOL PlatformReplaceModule(const PlatformModuleTable* table);
PLATFORM_API BOOL PlatformRestoreModule(const char* name);

PLATFORM_END_DECLS
