// One registry hive: a SQLite file of keys and values, its connection, and
// the transactions and statements the registry functions run on it.
// Internal to the platform library.
//
// Thread rules: a Hive is shared by every handle opened on it; a
// Transaction holds the hive's lock from start to end, so statements of one
// transaction never interleave with another thread's. Across processes,
// SQLite's own locking (WAL, busy time-out) orders the transactions.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace platform {

// The id of a hive's root key; a new hive also holds "Software" under it.
constexpr int64_t kRootKeyId = 1;

class Hive {
 public:
  // The hive behind a predefined key, opened (and created) at the place its
  // environment variable names now; opened for reading only when it cannot
  // be written. A handle keeps the hive it was opened on, so tests may point
  // the variable elsewhere between their cases.
  static LONG Open(HKEY predefined, std::shared_ptr<Hive>* hive);
  // Lets go of the hives no handle uses any more; run when the process ends.
  static void ReleaseCached();

  ~Hive();
  Hive(const Hive&) = delete;
  Hive& operator=(const Hive&) = delete;

 private:
  friend class Transaction;
  friend class Statement;
  Hive(sqlite3* db, std::string path, bool read_only);
  sqlite3_stmt* Prepare(const char* sql);

  sqlite3* db_;
  std::string path_;
  pid_t owner_;  // a connection must not be used or closed by a forked child
  bool read_only_;  // opened for reading only: every write transaction fails
  std::mutex lock_;
  std::map<const char*, sqlite3_stmt*> statements_;  // by the address of their SQL literal
};

// One SQLite transaction, holding the hive's lock. A write transaction
// takes SQLite's write lock at its start, so it never fails half-way for
// another process's writer. Rolls back unless committed.
class Transaction {
  friend class Statement;

 public:
  enum Kind { kRead, kWrite };
  Transaction(Hive& hive, Kind kind);
  ~Transaction();
  bool started() const { return started_; }
  LONG Commit();
  // The Windows result for a database failure inside this transaction.
  LONG Failure() const { return kind_ == kWrite ? ERROR_CANTWRITE : ERROR_CANTREAD; }
  // Rows changed by the transaction's last statement.
  int Changes() const { return sqlite3_changes(hive_.db_); }

 private:
  Hive& hive_;
  Kind kind_;
  std::unique_lock<std::mutex> guard_;
  bool started_ = false;
  bool committed_ = false;
};

// A prepared statement of the hive, reset when it goes out of scope.
// Parameters are bound in order.
class Statement {
 public:
  Statement(Transaction& transaction, const char* sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int64_t value);
  Statement& Bind(std::string_view text);
  Statement& BindBlob(const void* data, size_t size);
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int Step();
  bool Done() { return Step() == SQLITE_DONE; }

  int64_t Int(int column) const;
  std::string_view Text(int column) const;
  std::string_view Blob(int column) const;

 private:
  sqlite3_stmt* statement_;
  int next_parameter_ = 1;
};

}  // namespace platform
