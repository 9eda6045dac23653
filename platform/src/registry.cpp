// The registry functions over Hive: handles, key paths, values.
//
// Thread rules: any thread may call any function. The handle table has its
// own lock, taken only to look a handle up, add or remove it; the work on
// keys and values runs in a transaction that holds the hive's lock.
#include "platform/registry.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "registry_hive.h"

using platform::Hive;
using platform::Statement;
using platform::Transaction;

struct platform_hkey {
  std::shared_ptr<Hive> hive;
  int64_t id;
  REGSAM access;
};

namespace {

constexpr REGSAM kAccessBits = KEY_ALL_ACCESS & ~(KEY_WOW64_32KEY | KEY_WOW64_64KEY);

struct HandleTable {
  std::mutex lock;
  std::set<HKEY> live;
};

HandleTable& handles() {
  static HandleTable* instance = new HandleTable;  // outlives every static destructor
  return *instance;
}

bool is_predefined(HKEY key) {
  return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
         key == HKEY_USERS;
}

// What a handle stands for, copied out so that a concurrent RegCloseKey of
// the same handle cannot pull it away mid-call.
struct KeyRef {
  std::shared_ptr<Hive> hive;
  int64_t id = 0;
  REGSAM access = 0;
};

LONG resolve(HKEY key, KeyRef* ref) {
  if (is_predefined(key)) {
    ref->id = platform::kRootKeyId;
    ref->access = KEY_ALL_ACCESS;
    return Hive::Open(key, &ref->hive);
  }
  HandleTable& table = handles();
  std::lock_guard<std::mutex> guard(table.lock);
  if (key == nullptr || table.live.count(key) == 0) return ERROR_INVALID_HANDLE;
  *ref = {key->hive, key->id, key->access};
  return ERROR_SUCCESS;
}

LONG resolve(HKEY key, REGSAM needed, KeyRef* ref) {
  LONG status = resolve(key, ref);
  if (status == ERROR_SUCCESS && (ref->access & needed) != needed) return ERROR_ACCESS_DENIED;
  return status;
}

HKEY new_handle(const KeyRef& parent, int64_t id, REGSAM access) {
  HKEY key = new platform_hkey{parent.hive, id, access & kAccessBits};
  HandleTable& table = handles();
  std::lock_guard<std::mutex> guard(table.lock);
  table.live.insert(key);
  return key;
}

// "a\b\c" into its names. A trailing backslash is allowed; an empty or
// over-long name is not.
bool split_path(const char* subKey, std::vector<std::string_view>* names) {
  std::string_view path = subKey != nullptr ? subKey : "";
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  while (!path.empty()) {
    size_t end = std::min(path.find('\\'), path.size());
    std::string_view name = path.substr(0, end);
    if (name.empty() || name.size() > PLATFORM_REGISTRY_MAX_KEY_NAME) return false;
    names->push_back(name);
    path.remove_prefix(end == path.size() ? end : end + 1);
  }
  return true;
}

bool key_exists(Transaction& transaction, int64_t id) {
  Statement query(transaction, "SELECT 1 FROM reg_keys WHERE id = ?");
  return query.Bind(id).Step() == SQLITE_ROW;
}

// The id of `name` under `parent`, or 0.
int64_t find_child(Transaction& transaction, int64_t parent, std::string_view name) {
  Statement query(transaction, "SELECT id FROM reg_keys WHERE parent = ? AND name = ?");
  return query.Bind(parent).Bind(name).Step() == SQLITE_ROW ? query.Int(0) : 0;
}

int64_t add_child(Transaction& transaction, int64_t parent, std::string_view name) {
  Statement insert(transaction, "INSERT INTO reg_keys(parent, name) VALUES(?, ?) RETURNING id");
  return insert.Bind(parent).Bind(name).Step() == SQLITE_ROW ? insert.Int(0) : 0;
}

// Follows `names` down from `from`. With `create`, makes the missing keys
// and tells through *created whether the last one is new.
LONG walk(Transaction& transaction, int64_t from, const std::vector<std::string_view>& names,
          bool create, int64_t* id, bool* created) {
  if (!transaction.started()) return transaction.Failure();
  if (!key_exists(transaction, from)) return ERROR_KEY_DELETED;
  *id = from;
  *created = false;
  for (std::string_view name : names) {
    int64_t child = find_child(transaction, *id, name);
    *created = child == 0;
    if (child == 0 && !create) return ERROR_FILE_NOT_FOUND;
    if (child == 0 && (child = add_child(transaction, *id, name)) == 0) {
      return transaction.Failure();
    }
    *id = child;
  }
  return ERROR_SUCCESS;
}

// Runs `work` in a transaction on the handle's key, after checking that the
// key still exists; commits when `work` succeeds.
template <typename Work>
LONG with_key(HKEY key, REGSAM needed, Transaction::Kind kind, Work work) {
  KeyRef ref;
  LONG status = resolve(key, needed, &ref);
  if (status != ERROR_SUCCESS) return status;
  Transaction transaction(*ref.hive, kind);
  if (!transaction.started()) return transaction.Failure();
  if (!key_exists(transaction, ref.id)) return ERROR_KEY_DELETED;
  status = work(transaction, ref.id);
  return status == ERROR_SUCCESS ? transaction.Commit() : status;
}

// Steps to a statement's first row: ERROR_SUCCESS with the row there,
// `absent` when there is none.
LONG first_row(Statement& statement, Transaction& transaction, LONG absent) {
  int step = statement.Step();
  if (step == SQLITE_ROW) return ERROR_SUCCESS;
  return step == SQLITE_DONE ? absent : transaction.Failure();
}

// Copies stored data the way RegQueryValueExA hands it out: size only when
// data is NULL, ERROR_MORE_DATA (with the size needed) when it does not fit.
LONG copy_data(std::string_view stored, BYTE* data, DWORD* size) {
  if (size == nullptr) return data == nullptr ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
  DWORD room = *size;
  *size = static_cast<DWORD>(stored.size());
  if (data == nullptr) return ERROR_SUCCESS;
  if (room < stored.size()) return ERROR_MORE_DATA;
  if (!stored.empty()) std::memcpy(data, stored.data(), stored.size());
  return ERROR_SUCCESS;
}

// Copies a name into a buffer of *size characters (NUL included); on
// success *size becomes its length without the NUL.
LONG copy_name(std::string_view stored, char* name, DWORD* size) {
  if (name == nullptr || size == nullptr) return ERROR_INVALID_PARAMETER;
  if (stored.size() >= *size) return ERROR_MORE_DATA;
  if (!stored.empty()) std::memcpy(name, stored.data(), stored.size());
  name[stored.size()] = '\0';
  *size = static_cast<DWORD>(stored.size());
  return ERROR_SUCCESS;
}

void clear_class(char* keyClass, DWORD* keyClassSize) {
  if (keyClass != nullptr && keyClassSize != nullptr && *keyClassSize > 0) keyClass[0] = '\0';
  if (keyClassSize != nullptr) *keyClassSize = 0;
}

void set_if(DWORD* target, int64_t value) {
  if (target != nullptr) *target = static_cast<DWORD>(value);
}

std::string_view value_name(const char* name) { return name != nullptr ? name : ""; }

}  // namespace

LONG RegOpenKeyExA(HKEY hKey, const char* subKey, DWORD, REGSAM access, PHKEY result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::vector<std::string_view> names;
  if (!split_path(subKey, &names)) return ERROR_INVALID_PARAMETER;
  KeyRef ref;
  LONG status = resolve(hKey, 0, &ref);
  if (status != ERROR_SUCCESS) return status;
  int64_t id = 0;
  bool created = false;
  {
    Transaction transaction(*ref.hive, Transaction::kRead);
    status = walk(transaction, ref.id, names, false, &id, &created);
  }
  if (status == ERROR_SUCCESS) *result = new_handle(ref, id, access);
  return status;
}

LONG RegCreateKeyExA(HKEY hKey, const char* subKey, DWORD, char*, DWORD, REGSAM access, void*,
                     PHKEY result, DWORD* disposition) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::vector<std::string_view> names;
  if (subKey == nullptr || !split_path(subKey, &names)) return ERROR_INVALID_PARAMETER;
  KeyRef ref;
  LONG status = resolve(hKey, 0, &ref);
  if (status != ERROR_SUCCESS) return status;
  int64_t id = 0;
  bool created = false;
  {
    // Most calls find the whole path already there; only a missing key
    // needs the hive's write lock.
    Transaction reading(*ref.hive, Transaction::kRead);
    status = walk(reading, ref.id, names, false, &id, &created);
  }
  if (status == ERROR_FILE_NOT_FOUND) {
    if ((ref.access & KEY_CREATE_SUB_KEY) == 0) return ERROR_ACCESS_DENIED;
    Transaction writing(*ref.hive, Transaction::kWrite);
    status = walk(writing, ref.id, names, true, &id, &created);
    if (status == ERROR_SUCCESS) status = writing.Commit();
  }
  if (status != ERROR_SUCCESS) return status;
  if (disposition != nullptr) {
    *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  }
  *result = new_handle(ref, id, access);
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey) {
  if (is_predefined(hKey)) return ERROR_SUCCESS;
  HandleTable& table = handles();
  {
    std::lock_guard<std::mutex> guard(table.lock);
    if (hKey == nullptr || table.live.erase(hKey) == 0) return ERROR_INVALID_HANDLE;
  }
  delete hKey;  // may close its hive, so outside the table's lock
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY hKey, const char* valueName, DWORD*, DWORD* type, BYTE* data,
                      DWORD* size) {
  if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
  return with_key(hKey, KEY_QUERY_VALUE, Transaction::kRead,
                  [&](Transaction& transaction, int64_t id) -> LONG {
                    Statement query(transaction,
                                    "SELECT type, data FROM reg_values WHERE key = ? AND name = ?");
                    query.Bind(id).Bind(value_name(valueName));
                    LONG status = first_row(query, transaction, ERROR_FILE_NOT_FOUND);
                    if (status != ERROR_SUCCESS) return status;
                    set_if(type, query.Int(0));
                    return copy_data(query.Blob(1), data, size);
                  });
}

LONG RegSetValueExA(HKEY hKey, const char* valueName, DWORD, DWORD type, const BYTE* data,
                    DWORD size) {
  std::string_view name = value_name(valueName);
  if ((data == nullptr && size != 0) || name.size() > PLATFORM_REGISTRY_MAX_VALUE_NAME) {
    return ERROR_INVALID_PARAMETER;
  }
  return with_key(hKey, KEY_SET_VALUE, Transaction::kWrite,
                  [&](Transaction& transaction, int64_t id) -> LONG {
                    // Setting a value again keeps its place among the key's values.
                    Statement upsert(transaction,
                                     "INSERT INTO reg_values(key, name, type, data) "
                                     "VALUES(?, ?, ?, ?) ON CONFLICT(key, name) "
                                     "DO UPDATE SET type = excluded.type, data = excluded.data");
                    upsert.Bind(id).Bind(name).Bind(type).BindBlob(data, size);
                    return upsert.Done() ? ERROR_SUCCESS : transaction.Failure();
                  });
}

LONG RegDeleteValueA(HKEY hKey, const char* valueName) {
  return with_key(hKey, KEY_SET_VALUE, Transaction::kWrite,
                  [&](Transaction& transaction, int64_t id) -> LONG {
                    Statement erase(transaction,
                                    "DELETE FROM reg_values WHERE key = ? AND name = ?");
                    if (!erase.Bind(id).Bind(value_name(valueName)).Done()) {
                      return transaction.Failure();
                    }
                    return transaction.Changes() > 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
                  });
}

LONG RegDeleteKeyA(HKEY hKey, const char* subKey) {
  std::vector<std::string_view> names;
  if (subKey == nullptr || !split_path(subKey, &names)) return ERROR_INVALID_PARAMETER;
  return with_key(hKey, 0, Transaction::kWrite, [&](Transaction& transaction, int64_t id) -> LONG {
    bool created = false;
    LONG status = walk(transaction, id, names, false, &id, &created);
    if (status != ERROR_SUCCESS) return status;
    if (id == platform::kRootKeyId) return ERROR_ACCESS_DENIED;
    Statement children(transaction, "SELECT 1 FROM reg_keys WHERE parent = ? LIMIT 1");
    if (children.Bind(id).Step() != SQLITE_DONE) return ERROR_ACCESS_DENIED;
    Statement values(transaction, "DELETE FROM reg_values WHERE key = ?");
    Statement key(transaction, "DELETE FROM reg_keys WHERE id = ?");
    return values.Bind(id).Done() && key.Bind(id).Done() ? ERROR_SUCCESS
                                                          : transaction.Failure();
  });
}

LONG RegEnumValueA(HKEY hKey, DWORD index, char* valueName, DWORD* valueNameSize, DWORD*,
                   DWORD* type, BYTE* data, DWORD* dataSize) {
  if (valueName == nullptr || valueNameSize == nullptr) return ERROR_INVALID_PARAMETER;
  if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;
  return with_key(hKey, KEY_QUERY_VALUE, Transaction::kRead,
                  [&](Transaction& transaction, int64_t id) -> LONG {
                    Statement query(transaction,
                                    "SELECT name, type, data FROM reg_values WHERE key = ? "
                                    "ORDER BY rowid LIMIT 1 OFFSET ?");
                    query.Bind(id).Bind(index);
                    LONG status = first_row(query, transaction, ERROR_NO_MORE_ITEMS);
                    if (status == ERROR_SUCCESS) {
                      status = copy_name(query.Text(0), valueName, valueNameSize);
                    }
                    if (status != ERROR_SUCCESS) return status;
                    set_if(type, query.Int(1));
                    return copy_data(query.Blob(2), data, dataSize);
                  });
}

LONG RegEnumKeyExA(HKEY hKey, DWORD index, char* name, DWORD* nameSize, DWORD*, char* keyClass,
                   DWORD* keyClassSize, FILETIME* lastWriteTime) {
  if (name == nullptr || nameSize == nullptr) return ERROR_INVALID_PARAMETER;
  return with_key(hKey, KEY_ENUMERATE_SUB_KEYS, Transaction::kRead,
                  [&](Transaction& transaction, int64_t id) -> LONG {
                    Statement query(transaction,
                                    "SELECT name FROM reg_keys WHERE parent = ? "
                                    "ORDER BY name, id LIMIT 1 OFFSET ?");
                    query.Bind(id).Bind(index);
                    LONG status = first_row(query, transaction, ERROR_NO_MORE_ITEMS);
                    if (status == ERROR_SUCCESS) {
                      status = copy_name(query.Text(0), name, nameSize);
                    }
                    if (status != ERROR_SUCCESS) return status;
                    clear_class(keyClass, keyClassSize);
                    if (lastWriteTime != nullptr) *lastWriteTime = FILETIME{0, 0};
                    return ERROR_SUCCESS;
                  });
}

LONG RegQueryInfoKeyA(HKEY hKey, char* keyClass, DWORD* keyClassSize, DWORD*, DWORD* subKeys,
                      DWORD* maxSubKeyLength, DWORD* maxClassLength, DWORD* values,
                      DWORD* maxValueNameLength, DWORD* maxValueLength,
                      DWORD* securityDescriptorSize, FILETIME* lastWriteTime) {
  return with_key(hKey, KEY_QUERY_VALUE, Transaction::kRead,
                  [&](Transaction& transaction, int64_t id) -> LONG {
                    Statement keys(transaction,
                                   "SELECT count(*), ifnull(max(length(CAST(name AS BLOB))), 0) "
                                   "FROM reg_keys WHERE parent = ?");
                    Statement data(transaction,
                                   "SELECT count(*), ifnull(max(length(CAST(name AS BLOB))), 0), "
                                   "ifnull(max(length(data)), 0) FROM reg_values WHERE key = ?");
                    if (keys.Bind(id).Step() != SQLITE_ROW || data.Bind(id).Step() != SQLITE_ROW) {
                      return transaction.Failure();
                    }
                    clear_class(keyClass, keyClassSize);
                    set_if(subKeys, keys.Int(0));
                    set_if(maxSubKeyLength, keys.Int(1));
                    set_if(maxClassLength, 0);
                    set_if(values, data.Int(0));
                    set_if(maxValueNameLength, data.Int(1));
                    set_if(maxValueLength, data.Int(2));
                    set_if(securityDescriptorSize, 0);
                    if (lastWriteTime != nullptr) *lastWriteTime = FILETIME{0, 0};
                    return ERROR_SUCCESS;
                  });
}
