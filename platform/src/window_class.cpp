// Window classes, one process-wide namespace (the module handle is not part
// of a class's identity here). Any thread may register and unregister;
// both take the kernel lock.
#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "platform/error.h"
#include "window_table.h"

namespace platform {
namespace {

// Bounds the extra window memory so that a garbage size cannot exhaust
// memory one window at a time.
constexpr int kMaxExtraBytes = 1024;
// Class atoms live in the range Windows gives them.
constexpr unsigned kFirstAtom = 0xC000;
constexpr unsigned kAtomCount = 0x4000;

struct ClassTable {
  std::unordered_map<std::string, std::shared_ptr<WindowClass>> by_name;
  unsigned next_atom = kFirstAtom;
};

ClassTable& classes() {
  static ClassTable* table = new ClassTable;  // lives as long as the process
  return *table;
}

bool is_atom(const char* name_or_atom) {
  return reinterpret_cast<std::uintptr_t>(name_or_atom) < 0x10000;
}

std::string folded(const char* name) {
  std::string key(name);
  std::transform(key.begin(), key.end(), key.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return key;
}

bool atom_in_use_locked(WORD atom) {
  return std::any_of(classes().by_name.begin(), classes().by_name.end(),
                     [atom](const auto& entry) { return entry.second->atom == atom; });
}

// The next free atom, or 0 when every one is taken.
WORD new_atom_locked() {
  ClassTable& table = classes();
  for (unsigned tried = 0; tried < kAtomCount; ++tried) {
    auto atom = static_cast<WORD>(table.next_atom);
    table.next_atom = kFirstAtom + (table.next_atom - kFirstAtom + 1) % kAtomCount;
    if (!atom_in_use_locked(atom)) return atom;
  }
  return 0;
}

}  // namespace

std::shared_ptr<WindowClass> find_class_locked(const char* name_or_atom) {
  const auto& by_name = classes().by_name;
  if (is_atom(name_or_atom)) {
    auto atom = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(name_or_atom));
    auto found = std::find_if(by_name.begin(), by_name.end(),
                              [atom](const auto& entry) { return entry.second->atom == atom; });
    return found == by_name.end() ? nullptr : found->second;
  }
  auto found = by_name.find(folded(name_or_atom));
  return found == by_name.end() ? nullptr : found->second;
}

}  // namespace platform

using namespace platform;

WORD RegisterClassA(const WNDCLASSA* windowClass) {
  if (!windowClass || !windowClass->lpfnWndProc || is_atom(windowClass->lpszClassName) ||
      windowClass->lpszClassName[0] == '\0' || windowClass->cbWndExtra < 0 ||
      windowClass->cbWndExtra > kMaxExtraBytes || windowClass->cbClsExtra < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  KernelLock lock(kernel_mutex());
  std::string key = folded(windowClass->lpszClassName);
  if (classes().by_name.contains(key)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  WORD atom = new_atom_locked();
  if (atom == 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  auto entry = std::make_shared<WindowClass>();
  entry->name = windowClass->lpszClassName;
  entry->atom = atom;
  entry->procedure = windowClass->lpfnWndProc;
  entry->extra_bytes = windowClass->cbWndExtra;
  classes().by_name.emplace(std::move(key), std::move(entry));
  return atom;
}

BOOL UnregisterClassA(const char* className, HINSTANCE /*instance*/) {
  KernelLock lock(kernel_mutex());
  auto entry = find_class_locked(className);
  if (!entry) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (entry->window_count > 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  classes().by_name.erase(folded(entry->name.c_str()));
  return TRUE;
}
