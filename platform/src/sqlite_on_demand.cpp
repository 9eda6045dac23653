// The SQLite functions the hives call, each forwarding to the system's
// library, which is opened through LoadLibraryA on first use.
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

#include "platform/module.h"
#include "platform/on_demand.h"
#include "sqlite_library.h"

namespace platform {
namespace {

// The oldest release with every function below (sqlite3_prepare_v3).
constexpr int kOldestVersion = 3020000;

HMODULE sqlite_module() {
  static const HMODULE module = LoadLibraryA("libsqlite3.so.0");
  return module;
}

// Only reached after SqliteLoaded said yes, which checked the version, so
// a missing function means a broken library: nothing sensible can go on.
void* entry_of(HMODULE module, const char* name) {
  FARPROC entry = module != nullptr ? GetProcAddress(module, name) : nullptr;
  if (entry == nullptr) {
    std::fprintf(stderr, "the SQLite library has no function %s\n", name);
    std::abort();
  }
  return reinterpret_cast<void*>(entry);
}

}  // namespace

bool SqliteLoaded() {
  static const bool loaded = [] {
    HMODULE module = sqlite_module();
    auto version = module != nullptr ? reinterpret_cast<decltype(&sqlite3_libversion_number)>(
                                           GetProcAddress(module, "sqlite3_libversion_number"))
                                     : nullptr;
    return version != nullptr && version() >= kOldestVersion;
  }();
  return loaded;
}

}  // namespace platform

#define SQLITE_ON_DEMAND(result, name, parameters, arguments) \
  PLATFORM_ON_DEMAND(platform::entry_of, platform::sqlite_module(), result, name, parameters, arguments)

extern "C" {
SQLITE_ON_DEMAND(int, sqlite3_bind_blob64,
                 (sqlite3_stmt * statement, int index, const void* data, sqlite3_uint64 size, void (*destructor)(void*)),
                 (statement, index, data, size, destructor))
SQLITE_ON_DEMAND(int, sqlite3_bind_int64, (sqlite3_stmt * statement, int index, sqlite3_int64 value),
                 (statement, index, value))
SQLITE_ON_DEMAND(int, sqlite3_bind_text,
                 (sqlite3_stmt * statement, int index, const char* text, int size, void (*destructor)(void*)),
                 (statement, index, text, size, destructor))
SQLITE_ON_DEMAND(int, sqlite3_bind_zeroblob, (sqlite3_stmt * statement, int index, int size),
                 (statement, index, size))
SQLITE_ON_DEMAND(int, sqlite3_busy_timeout, (sqlite3 * db, int milliseconds), (db, milliseconds))
SQLITE_ON_DEMAND(int, sqlite3_changes, (sqlite3 * db), (db))
SQLITE_ON_DEMAND(int, sqlite3_clear_bindings, (sqlite3_stmt * statement), (statement))
SQLITE_ON_DEMAND(int, sqlite3_close, (sqlite3 * db), (db))
SQLITE_ON_DEMAND(const void*, sqlite3_column_blob, (sqlite3_stmt * statement, int column), (statement, column))
SQLITE_ON_DEMAND(int, sqlite3_column_bytes, (sqlite3_stmt * statement, int column), (statement, column))
SQLITE_ON_DEMAND(sqlite3_int64, sqlite3_column_int64, (sqlite3_stmt * statement, int column),
                 (statement, column))
SQLITE_ON_DEMAND(const unsigned char*, sqlite3_column_text, (sqlite3_stmt * statement, int column),
                 (statement, column))
SQLITE_ON_DEMAND(int, sqlite3_exec,
                 (sqlite3 * db, const char* sql, int (*callback)(void*, int, char**, char**), void* context,
                  char** error),
                 (db, sql, callback, context, error))
SQLITE_ON_DEMAND(int, sqlite3_finalize, (sqlite3_stmt * statement), (statement))
SQLITE_ON_DEMAND(int, sqlite3_open_v2, (const char* file, sqlite3** db, int flags, const char* vfs),
                 (file, db, flags, vfs))
SQLITE_ON_DEMAND(int, sqlite3_prepare_v3,
                 (sqlite3 * db, const char* sql, int size, unsigned int flags, sqlite3_stmt** statement,
                  const char** tail),
                 (db, sql, size, flags, statement, tail))
SQLITE_ON_DEMAND(int, sqlite3_reset, (sqlite3_stmt * statement), (statement))
SQLITE_ON_DEMAND(int, sqlite3_step, (sqlite3_stmt * statement), (statement))
}
