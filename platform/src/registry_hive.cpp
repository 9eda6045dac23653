#include "registry_hive.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "config_folder.h"
#include "sqlite_library.h"

namespace platform {
namespace {

// A writer of another process holds the hive only for one call; waiting
// this long means something is stuck, and the call fails instead.
constexpr int kBusyTimeoutMs = 30000;

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS reg_keys("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT,"  // never reused: handles of deleted keys stay dead
    "  parent INTEGER NOT NULL,"
    "  name TEXT NOT NULL COLLATE NOCASE,"
    "  UNIQUE(parent, name));"
    "CREATE TABLE IF NOT EXISTS reg_values("
    "  key INTEGER NOT NULL,"
    "  name TEXT NOT NULL COLLATE NOCASE,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL,"
    "  UNIQUE(key, name));";

std::string default_hive_path(const char* file) {
  return UserConfigFolder() + "/registry/" + file;
}

bool hive_path(HKEY predefined, std::string* path) {
  const char* variable;
  const char* file;
  if (predefined == HKEY_LOCAL_MACHINE) {
    variable = PLATFORM_REGISTRY_HKLM_ENV;
    file = "hklm.sqlite";
  } else if (predefined == HKEY_CURRENT_USER) {
    variable = PLATFORM_REGISTRY_HKCU_ENV;
    file = "hkcu.sqlite";
  } else {
    return false;
  }
  const char* configured = std::getenv(variable);
  *path = configured != nullptr && configured[0] != '\0' ? configured : default_hive_path(file);
  return true;
}

bool run(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Creates the tables and the root key the first time any process opens the
// file; "Software" is seeded only then, so a deleted one stays deleted.
bool prepare_schema(sqlite3* db) {
  if (!run(db, "BEGIN IMMEDIATE")) return false;
  bool ok = run(db, kSchema) &&
            run(db, "INSERT OR IGNORE INTO reg_keys(id, parent, name) VALUES(1, 0, '')");
  if (ok && sqlite3_changes(db) == 1) {
    ok = run(db, "INSERT INTO reg_keys(parent, name) VALUES(1, 'Software')");
  }
  return run(db, ok ? "COMMIT" : "ROLLBACK") && ok;
}

// A file or link of this user or of root. Another user's, planted in a
// shared folder, could feed this process keys, read what it stores, or make
// it create its hive wherever a link of theirs points.
bool is_trusted_owner(uid_t owner) { return owner == geteuid() || owner == 0; }

// Whether the file at `path` is another user's: their symbolic link, or
// their file however it is reached. A missing file is nobody's.
bool planted(const std::string& path) {
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0) return false;
  if (!is_trusted_owner(status.st_uid)) return true;
  return S_ISLNK(status.st_mode) && stat(path.c_str(), &status) == 0 &&
         !is_trusted_owner(status.st_uid);
}

// The hive's file and those SQLite and SetupLock keep beside it.
bool any_planted(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal", ".lock"}) {
    if (planted(path + suffix)) return true;
  }
  return false;
}

// Makes the hive's file, and its folders, when it is missing, without
// following a link: left to SQLite, the creation would follow a link put in
// its place meanwhile. False when a file of the hive is another user's.
bool create_hive_file(const std::string& path) {
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd >= 0) close(fd);
  return !any_planted(path);
}

// Orders the set-up of one hive file across processes. Switching a new file
// to WAL fails at once, without waiting, in a process that meets another
// doing the same; holding an exclusive lock on a file beside the hive while
// connecting makes the second process wait and find the work done. The lock
// is a separate file because closing any descriptor of the hive itself would
// drop SQLite's own locks on it.
class SetupLock {
 public:
  explicit SetupLock(const std::string& hive_path)
      : fd_(open((hive_path + ".lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600)) {
    // Another user's lock file, put there meanwhile, could be held against
    // this process for ever: it is not waited on.
    struct stat status {};
    if (fd_ >= 0 && (fstat(fd_, &status) != 0 || !is_trusted_owner(status.st_uid))) {
      close(fd_);
      fd_ = -1;
    }
    // Without the lock file (a read-only folder) connecting goes on unordered.
    while (fd_ >= 0 && flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~SetupLock() {
    if (fd_ >= 0) close(fd_);
  }
  SetupLock(const SetupLock&) = delete;
  SetupLock& operator=(const SetupLock&) = delete;

 private:
  int fd_;
};

sqlite3* open_for_writing(const std::string& path) {
  SetupLock setup(path);
  sqlite3* db = nullptr;
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) == SQLITE_OK &&
      sqlite3_busy_timeout(db, kBusyTimeoutMs) == SQLITE_OK &&
      run(db, "PRAGMA journal_mode=WAL") && run(db, "PRAGMA synchronous=NORMAL") &&
      prepare_schema(db)) {
    return db;
  }
  sqlite3_close(db);
  return nullptr;
}

// `path` as a SQLite URI that opens the file as immutable.
std::string immutable_uri(const std::string& path) {
  std::string uri = path[0] == '/' ? "file://" : "file:";
  for (char c : path) {
    if (c == '%' || c == '?' || c == '#') {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
      uri += escaped;
    } else {
      uri += c;
    }
  }
  return uri + "?immutable=1";
}

// A hive that cannot be written (a read-only folder or file, a full disk)
// can still be read. SQLite reads a WAL file read-only only where it can
// use the "-shm" file beside it, which is there while another process has
// the hive open; elsewhere the file is read as immutable, which needs
// neither that file nor locks. Only a file that already holds the keys
// is of use.
sqlite3* open_for_reading(const std::string& path) {
  constexpr int kFlags = SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX;
  const std::pair<std::string, int> attempts[] = {{path, kFlags},
                                                  {immutable_uri(path), kFlags | SQLITE_OPEN_URI}};
  for (const auto& [name, flags] : attempts) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(name.c_str(), &db, flags, nullptr) == SQLITE_OK &&
        sqlite3_busy_timeout(db, kBusyTimeoutMs) == SQLITE_OK &&
        run(db, "SELECT 1 FROM reg_keys WHERE id = 1")) {
      return db;
    }
    sqlite3_close(db);
  }
  return nullptr;
}

struct HiveCache {
  std::mutex lock;
  std::map<HKEY, std::shared_ptr<Hive>> open;
};

// Never destroyed, so threads still in the registry while the process ends
// find it intact; ReleaseCached lets go of its connections.
HiveCache& cache() {
  static HiveCache* instance = new HiveCache;
  return *instance;
}

struct ReleaseAtExit {
  ~ReleaseAtExit() { Hive::ReleaseCached(); }
} release_at_exit;

}  // namespace

Hive::Hive(sqlite3* db, std::string path, bool read_only)
    : db_(db), path_(std::move(path)), owner_(getpid()), read_only_(read_only) {}

Hive::~Hive() {
  if (owner_ != getpid()) return;  // the parent's connection: leave it to the parent
  for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
  sqlite3_close(db_);
}

LONG Hive::Open(HKEY predefined, std::shared_ptr<Hive>* hive) {
  std::string path;
  if (!hive_path(predefined, &path)) return ERROR_INVALID_HANDLE;
  if (!SqliteLoaded()) return ERROR_MOD_NOT_FOUND;
  HiveCache& c = cache();
  std::lock_guard<std::mutex> guard(c.lock);
  std::shared_ptr<Hive>& cached = c.open[predefined];
  // A hive opened read-only is tried for writing again at each use, so that
  // writes work once the disk has room or the folder is writable again.
  if (cached == nullptr || cached->path_ != path || cached->owner_ != getpid() ||
      cached->read_only_) {
    if (!create_hive_file(path)) return ERROR_INVALID_OWNER;
    bool read_only = false;
    sqlite3* db = open_for_writing(path);
    if (db == nullptr && (db = open_for_reading(path)) != nullptr) read_only = true;
    if (db == nullptr) return ERROR_CANTOPEN;
    // A file SQLite made beside the hive may have been planted meanwhile.
    if (any_planted(path)) {
      sqlite3_close(db);
      return ERROR_INVALID_OWNER;
    }
    cached.reset(new Hive(db, path, read_only));
  }
  *hive = cached;
  return ERROR_SUCCESS;
}

void Hive::ReleaseCached() {
  HiveCache& c = cache();
  std::lock_guard<std::mutex> guard(c.lock);
  c.open.clear();
}

sqlite3_stmt* Hive::Prepare(const char* sql) {
  auto found = statements_.find(sql);
  if (found != statements_.end()) return found->second;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) !=
      SQLITE_OK) {
    return nullptr;
  }
  statements_.emplace(sql, statement);
  return statement;
}

Transaction::Transaction(Hive& hive, Kind kind) : hive_(hive), kind_(kind), guard_(hive.lock_) {
  // An immutable file takes no locks, so only the flag tells a write apart.
  if (kind == kWrite && hive_.read_only_) return;
  started_ = run(hive_.db_, kind == kWrite ? "BEGIN IMMEDIATE" : "BEGIN");
}

Transaction::~Transaction() {
  if (started_ && !committed_) run(hive_.db_, "ROLLBACK");
}

LONG Transaction::Commit() {
  if (!started_) return Failure();
  committed_ = run(hive_.db_, "COMMIT");
  return committed_ ? ERROR_SUCCESS : Failure();
}

Statement::Statement(Transaction& transaction, const char* sql)
    : statement_(transaction.hive_.Prepare(sql)) {}

Statement::~Statement() {
  if (statement_ == nullptr) return;
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

Statement& Statement::Bind(int64_t value) {
  if (statement_ != nullptr) sqlite3_bind_int64(statement_, next_parameter_, value);
  ++next_parameter_;
  return *this;
}

Statement& Statement::Bind(std::string_view text) {
  // An empty view may have no data pointer, which SQLite would bind as NULL.
  if (statement_ != nullptr) {
    sqlite3_bind_text(statement_, next_parameter_, text.empty() ? "" : text.data(),
                      static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
  ++next_parameter_;
  return *this;
}

Statement& Statement::BindBlob(const void* data, size_t size) {
  if (statement_ != nullptr) {
    if (size == 0) {
      sqlite3_bind_zeroblob(statement_, next_parameter_, 0);
    } else {
      sqlite3_bind_blob64(statement_, next_parameter_, data, size, SQLITE_TRANSIENT);
    }
  }
  ++next_parameter_;
  return *this;
}

int Statement::Step() { return statement_ != nullptr ? sqlite3_step(statement_) : SQLITE_ERROR; }

int64_t Statement::Int(int column) const { return sqlite3_column_int64(statement_, column); }

std::string_view Statement::Text(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
  return text != nullptr ? std::string_view(text, sqlite3_column_bytes(statement_, column))
                         : std::string_view();
}

std::string_view Statement::Blob(int column) const {
  const void* data = sqlite3_column_blob(statement_, column);
  return data != nullptr ? std::string_view(static_cast<const char*>(data),
                                            sqlite3_column_bytes(statement_, column))
                         : std::string_view();
}

}  // namespace platform
