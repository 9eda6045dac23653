// Modules: built-in tables of entry points, replacements for tests, and
// shared objects opened with dlopen, all behind HMODULE.
//
// Thread rules: every function may be called from any thread. One lock
// guards the tables below; dlopen and dlclose run outside it, because a
// shared object's constructors and destructors may load or free modules
// themselves.
#include "platform/module.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "builtin_modules.h"
#include "platform/error.h"

struct platform_module {
  std::string key;                      // the name it was loaded under, canonical
  const PlatformModuleTable* table;     // built-in or replacement, else NULL
  void* shared_object;                  // dlopen handle, else NULL
  unsigned references;
};

namespace {

std::string canonical_name(const char* name);

struct ModuleState {
  ModuleState() {
    for (const PlatformModuleTable* table : {platform_wsock32_module(), platform_icmp_module()}) {
      built_in.emplace(canonical_name(table->name), table);
    }
  }

  std::mutex lock;
  std::map<std::string, const PlatformModuleTable*> built_in;
  std::map<std::string, const PlatformModuleTable*> replaced;
  // The module a LoadLibraryA of the name gives now; a module loaded before
  // a replacement or restore drops out of here but stays alive in `live`.
  std::map<std::string, platform_module*> loaded;
  std::set<platform_module*> live;
};

// Never destroyed: modules may be freed from other threads and static
// destructors while the process ends.
ModuleState& state() {
  static ModuleState* instance = new ModuleState;
  return *instance;
}

// Windows' rules for module names: case does not matter, and a name without
// an extension means the ".DLL" file; a trailing dot says "no extension".
std::string canonical_name(const char* name) {
  std::string key(name);
  std::transform(key.begin(), key.end(), key.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  size_t base = key.find_last_of("/\\");
  base = base == std::string::npos ? 0 : base + 1;
  if (!key.empty() && key.back() == '.') {
    key.pop_back();
  } else if (key.find('.', base) == std::string::npos) {
    key += ".DLL";
  }
  return key;
}

std::string program_directory() {
  char path[MAX_PATH];
  ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (length <= 0) return {};
  std::string directory(path, static_cast<size_t>(length));
  return directory.substr(0, directory.rfind('/'));
}

// Like Windows, a bare name is looked for in the program's directory first,
// then wherever the system's loader looks.
void* open_shared_object(const char* name) {
  if (std::strchr(name, '/') == nullptr) {
    std::string beside_program = program_directory() + "/" + name;
    if (void* handle = dlopen(beside_program.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
  }
  return dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

const PlatformModuleTable* table_for(ModuleState& s, const std::string& key) {
  auto replaced = s.replaced.find(key);
  if (replaced != s.replaced.end()) return replaced->second;
  auto built_in = s.built_in.find(key);
  return built_in != s.built_in.end() ? built_in->second : nullptr;
}

platform_module* add_module(ModuleState& s, const std::string& key,
                            const PlatformModuleTable* table, void* shared_object) {
  auto* module = new platform_module{key, table, shared_object, 1};
  s.loaded[key] = module;
  s.live.insert(module);
  return module;
}

bool valid_table(const PlatformModuleTable* table) {
  return table != nullptr && table->name != nullptr && table->name[0] != '\0' &&
         table->exports != nullptr;
}

}  // namespace

HMODULE LoadLibraryA(const char* name) {
  if (name == nullptr || name[0] == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  ModuleState& s = state();
  const std::string key = canonical_name(name);
  {
    std::lock_guard<std::mutex> guard(s.lock);
    auto loaded = s.loaded.find(key);
    if (loaded != s.loaded.end()) {
      ++loaded->second->references;
      return loaded->second;
    }
    if (const PlatformModuleTable* table = table_for(s, key)) {
      return add_module(s, key, table, nullptr);
    }
  }

  void* shared_object = open_shared_object(name);
  if (shared_object == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  std::unique_lock<std::mutex> guard(s.lock);
  auto loaded = s.loaded.find(key);
  if (loaded == s.loaded.end()) return add_module(s, key, nullptr, shared_object);
  // Another thread loaded the same name meanwhile: share its module.
  ++loaded->second->references;
  HMODULE module = loaded->second;
  guard.unlock();
  dlclose(shared_object);
  return module;
}

FARPROC GetProcAddress(HMODULE module, const char* procName) {
  // A "name" below 64K is an ordinal; built-in modules export by name only.
  if (reinterpret_cast<uintptr_t>(procName) < 0x10000) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  ModuleState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.live.count(module) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (module->table != nullptr) {
    for (const PlatformExport* entry = module->table->exports; entry->name != nullptr; ++entry) {
      if (std::strcmp(entry->name, procName) == 0) return entry->address;
    }
  } else if (void* symbol = dlsym(module->shared_object, procName)) {
    return reinterpret_cast<FARPROC>(symbol);
  }
  SetLastError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
  ModuleState& s = state();
  void* shared_object = nullptr;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.live.count(module) == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (--module->references > 0) return TRUE;
    auto loaded = s.loaded.find(module->key);
    if (loaded != s.loaded.end() && loaded->second == module) s.loaded.erase(loaded);
    s.live.erase(module);
    shared_object = module->shared_object;
    delete module;
  }
  if (shared_object != nullptr) dlclose(shared_object);
  return TRUE;
}

HMODULE GetModuleHandleA(const char* name) {
  if (name == nullptr || name[0] == '\0') {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  ModuleState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  auto loaded = s.loaded.find(canonical_name(name));
  if (loaded == s.loaded.end()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return loaded->second;
}

DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) {
  std::string path;
  if (module == nullptr) {
    // The link may be longer than any fixed buffer: grow until it fits.
    std::string exe(MAX_PATH, '\0');
    for (;;) {
      ssize_t length = readlink("/proc/self/exe", exe.data(), exe.size());
      if (length <= 0) break;
      if (static_cast<size_t>(length) < exe.size()) {
        path.assign(exe.data(), static_cast<size_t>(length));
        break;
      }
      exe.resize(exe.size() * 2);
    }
  } else {
    ModuleState& s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.live.count(module) == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return 0;
    }
    link_map* map = nullptr;
    if (module->table != nullptr) {
      path = module->table->name;  // built in: there is no file to name
    } else if (dlinfo(module->shared_object, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr) {
      path = map->l_name;
    }
  }
  if (path.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  if (buffer == nullptr || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  // Windows cuts a path that does not fit and then returns the full size.
  size_t copied = std::min<size_t>(path.size(), size - 1);
  std::memcpy(buffer, path.data(), copied);
  buffer[copied] = '\0';
  if (copied < path.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  return static_cast<DWORD>(copied);
}

BOOL PlatformRegisterModule(const PlatformModuleTable* table) {
  if (!valid_table(table)) return FALSE;
  ModuleState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.built_in.emplace(canonical_name(table->name), table).second ? TRUE : FALSE;
}

BOOL PlatformReplaceModule(const PlatformModuleTable* table) {
  if (!valid_table(table)) return FALSE;
  ModuleState& s = state();
  const std::string key = canonical_name(table->name);
  std::lock_guard<std::mutex> guard(s.lock);
  s.replaced[key] = table;
  s.loaded.erase(key);  // the next LoadLibraryA resolves the name afresh
  return TRUE;
}

BOOL PlatformRestoreModule(const char* name) {
  if (name == nullptr) return FALSE;
  ModuleState& s = state();
  const std::string key = canonical_name(name);
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.replaced.erase(key) == 0) return FALSE;
  s.loaded.erase(key);
  return TRUE;
}
