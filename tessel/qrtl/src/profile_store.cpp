// The profile store: ini-style sections and entries kept in the registry.
//
// No lock of its own: every call opens, uses and closes its keys, and the
// registry orders concurrent writers (threads and processes alike).
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <utility>

#include "platform/registry.h"
#include "tessel/qrtl.h"

namespace {

// Every scope's base key lies under this path in its hive.
constexpr const char* kFamilyPath[] = {"Software", "Ostrel", "Pivotline"};

struct Scope {
  HKEY hive;
  const char* keys[2];
};

// Indexed by scope number; a scope without a hive is not supported.
const Scope kScopes[] = {
    {HKEY_LOCAL_MACHINE, {"Client", nullptr}},
    {HKEY_CURRENT_USER, {"Client", nullptr}},
    {HKEY_LOCAL_MACHINE, {"Infrastructure", nullptr}},
    {HKEY_CURRENT_USER, {"Infrastructure", nullptr}},
    {HKEY_LOCAL_MACHINE, {"PDK", "Debug"}},
    {HKEY_CURRENT_USER, {"PDK", "Debug"}},
    {HKEY_LOCAL_MACHINE, {"PDK", nullptr}},
    {HKEY_CURRENT_USER, {"PDK", nullptr}},
    {HKEY_LOCAL_MACHINE, {"PDK", "Installed Products"}},
    {nullptr, {nullptr, nullptr}},
    {nullptr, {nullptr, nullptr}},
    {HKEY_LOCAL_MACHINE, {"Client", "Debug"}},
};

constexpr REGSAM kScopeAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

// An open key that closes itself.
class Key {
 public:
  Key() = default;
  ~Key() { Reset(); }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  HKEY get() const { return key_; }
  // Where a registry call stores the key it opens.
  PHKEY out() {
    Reset();
    return &key_;
  }
  void Reset(HKEY key = nullptr) {
    if (key_ != nullptr) RegCloseKey(key_);
    key_ = key;
  }
  HKEY Release() { return std::exchange(key_, nullptr); }

 private:
  HKEY key_ = nullptr;
};

enum class Use { kRead, kWrite };

// Opens the scope's base key, creating the keys on its path that are
// missing. A store that cannot be written (opened read-only by the
// registry) is still read: when a key of the path is missing there and
// cannot be made, reading gets QRTL_SUCCESS with `base` left empty, on
// which every section is missing (opening a key under no key fails).
int32_t OpenScope(int32_t scope, Key& base, Use use) {
  if (scope < 0 || scope >= static_cast<int32_t>(std::size(kScopes)) ||
      kScopes[scope].hive == nullptr) {
    return QRTLERR_NOT_SUPPORTED;
  }
  Key current;
  auto descend = [&current, hive = kScopes[scope].hive](const char* name) {
    HKEY parent = current.get() != nullptr ? current.get() : hive;
    HKEY child = nullptr;
    const LONG result = RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        kScopeAccess, nullptr, &child, nullptr);
    current.Reset(child);
    return result;
  };
  auto failure = [use](LONG result) {
    if (result == ERROR_INVALID_OWNER) return QRTLERR_UNTRUSTED_PROFILE;
    return result == ERROR_CANTWRITE && use == Use::kRead ? QRTL_SUCCESS : QRTLERR_UNAVAILABLE;
  };
  for (const char* name : kFamilyPath) {
    if (const LONG result = descend(name); result != ERROR_SUCCESS) return failure(result);
  }
  for (const char* name : kScopes[scope].keys) {
    if (name == nullptr) continue;
    if (const LONG result = descend(name); result != ERROR_SUCCESS) return failure(result);
  }
  base.Reset(current.Release());
  return QRTL_SUCCESS;
}

bool IsName(const char* name) { return name != nullptr && name[0] != '\0'; }

int32_t CopyDefault(const char* defaultText, char* buffer, int32_t size) {
  const size_t length = std::strlen(defaultText);
  if (length >= static_cast<size_t>(size)) return QRTLERR_TOO_BIG;
  std::memcpy(buffer, defaultText, length + 1);
  return QRTL_SUCCESS;
}

int32_t WriteValue(const char* section, const char* entry, DWORD type, const BYTE* data, DWORD size,
                   int32_t scope) {
  Key base;
  int32_t status = OpenScope(scope, base, Use::kWrite);
  if (status != QRTL_SUCCESS) return status;
  Key key;
  if (RegCreateKeyExA(base.get(), section, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                      nullptr, key.out(), nullptr) != ERROR_SUCCESS) {
    return QRTLERR_UNAVAILABLE;
  }
  if (RegSetValueExA(key.get(), entry, 0, type, data, size) != ERROR_SUCCESS) {
    return QRTLERR_WRITE_PROFILE;
  }
  return QRTL_SUCCESS;
}

DWORD CountValues(HKEY base, const char* section) {
  Key key;
  DWORD values = 0;
  if (RegOpenKeyExA(base, section, 0, KEY_READ, key.out()) != ERROR_SUCCESS ||
      RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                       nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return 0;
  }
  return values;
}

}  // namespace

int32_t QRTLGetProfileEntry(const char* section, const char* entry, const char* defaultText,
                            char* buffer, int32_t size, int32_t scope) {
  if (!IsName(section) || !IsName(entry) || defaultText == nullptr || buffer == nullptr ||
      size <= 0) {
    return QRTLERR_INVALID_PARAM;
  }
  Key base;
  int32_t status = OpenScope(scope, base, Use::kRead);
  if (status != QRTL_SUCCESS) return status;
  Key key;
  if (RegOpenKeyExA(base.get(), section, 0, KEY_READ, key.out()) != ERROR_SUCCESS) {
    return CopyDefault(defaultText, buffer, size);
  }
  DWORD type = REG_NONE;
  auto length = static_cast<DWORD>(size);
  const LONG result =
      RegQueryValueExA(key.get(), entry, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &length);
  if (result == ERROR_MORE_DATA) return QRTLERR_TOO_BIG;
  if (result != ERROR_SUCCESS) return CopyDefault(defaultText, buffer, size);
  if (type != REG_SZ) return QRTLERR_BAD_TYPE;
  // Text set by another program may lack its NUL; it still has to end in
  // the buffer.
  if (length == 0 || buffer[length - 1] != '\0') {
    if (length == static_cast<DWORD>(size)) return QRTLERR_TOO_BIG;
    buffer[length] = '\0';
  }
  return QRTL_SUCCESS;
}

int32_t QRTLWriteProfileEntry(const char* section, const char* entry, const char* text,
                              int32_t scope) {
  if (!IsName(section) || !IsName(entry) || text == nullptr) return QRTLERR_INVALID_PARAM;
  return WriteValue(section, entry, REG_SZ, reinterpret_cast<const BYTE*>(text),
                    static_cast<DWORD>(std::strlen(text) + 1), scope);
}

int32_t QRTLGetProfileInt(const char* section, const char* entry, int32_t defaultValue,
                          int32_t scope) {
  if (!IsName(section) || !IsName(entry)) return defaultValue;
  Key base;
  if (OpenScope(scope, base, Use::kRead) != QRTL_SUCCESS) return defaultValue;
  Key key;
  if (RegOpenKeyExA(base.get(), section, 0, KEY_READ, key.out()) != ERROR_SUCCESS) {
    return defaultValue;
  }
  DWORD type = REG_NONE;
  DWORD value = 0;
  DWORD length = sizeof value;
  if (RegQueryValueExA(key.get(), entry, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                       &length) != ERROR_SUCCESS ||
      type != REG_DWORD || length != sizeof value) {
    return defaultValue;
  }
  return static_cast<int32_t>(value);
}

int32_t QRTLWriteProfileInt(const char* section, const char* entry, int32_t value, int32_t scope) {
  if (!IsName(section) || !IsName(entry)) return QRTLERR_INVALID_PARAM;
  const auto number = static_cast<DWORD>(value);
  return WriteValue(section, entry, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                    sizeof number, scope);
}

int32_t QRTLDeleteProfileEntry(const char* section, const char* entry, int32_t scope) {
  if (!IsName(section) || !IsName(entry)) return QRTLERR_INVALID_PARAM;
  Key base;
  int32_t status = OpenScope(scope, base, Use::kWrite);
  if (status != QRTL_SUCCESS) return status;
  Key key;
  if (RegOpenKeyExA(base.get(), section, 0, KEY_SET_VALUE, key.out()) != ERROR_SUCCESS) {
    return QRTLERR_UNAVAILABLE;
  }
  if (RegDeleteValueA(key.get(), entry) != ERROR_SUCCESS) status = QRTLERR_WRITE_PROFILE;
  key.Reset();
  // An emptied section goes with its last entry.
  if (CountValues(base.get(), section) == 0) RegDeleteKeyA(base.get(), section);
  return status;
}

int32_t QRTLCountEntriesInSection(const char* section, int32_t scope) {
  if (!IsName(section)) return 0;
  Key base;
  if (OpenScope(scope, base, Use::kRead) != QRTL_SUCCESS) return 0;
  return static_cast<int32_t>(CountValues(base.get(), section));
}

int32_t QRTLEnumProfileSection(const char* section, QRTLProfileEnumCallback callback, void* context,
                               int32_t wantText, int32_t scope) {
  if (!IsName(section) || callback == nullptr) return QRTLERR_INVALID_PARAM;
  Key base;
  int32_t status = OpenScope(scope, base, Use::kRead);
  if (status != QRTL_SUCCESS) return status;
  Key key;
  DWORD values = 0;
  DWORD longestName = 0;
  DWORD longestData = 0;
  if (RegOpenKeyExA(base.get(), section, 0, KEY_READ, key.out()) != ERROR_SUCCESS ||
      RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                       &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
    return QRTLERR_UNAVAILABLE;
  }
  const bool withText = wantText == 1;
  std::unique_ptr<char[]> data;
  if (withText) {
    data.reset(new (std::nothrow) char[longestData + 1]);
    if (!data) return QRTLERR_NOMEM;
  }
  std::unique_ptr<char[]> name(new (std::nothrow) char[longestName + 1]);
  if (!name) return QRTLERR_NOMEM;

  for (DWORD index = 0;; ++index) {
    DWORD nameSize = longestName + 1;
    DWORD dataSize = withText ? longestData : 0;
    DWORD type = REG_NONE;
    const LONG result = RegEnumValueA(key.get(), index, name.get(), &nameSize, nullptr, &type,
                                      withText ? reinterpret_cast<BYTE*>(data.get()) : nullptr,
                                      withText ? &dataSize : nullptr);
    if (result == ERROR_NO_MORE_ITEMS) return QRTL_SUCCESS;
    if (result != ERROR_SUCCESS) return QRTLERR_UNAVAILABLE;
    if (type != REG_SZ) continue;
    const char* text = "";
    if (withText) {
      data[dataSize] = '\0';
      text = data.get();
    }
    if (callback(context, name.get(), text) != 0) return QRTLWARN_CANCELLED;
  }
}
