// SQLite, opened at the registry's first use rather than at start-up: the
// platform library defines the SQLite functions the hives call, each
// forwarding to the system's library (sqlite_on_demand.cpp), so a process
// that never opens a hive never loads it. Internal to the platform library.
#pragma once

namespace platform {

// Whether the system's SQLite library is there and new enough for the
// hives, loading it on the first call. A hive is opened only after this
// said yes; without it the registry calls fail (ERROR_MOD_NOT_FOUND).
bool SqliteLoaded();

}  // namespace platform
