#include "glyctl/on_demand/on_demand_library.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "glyctl/exit_codes.h"
#include "printers/app_directory.h"

namespace {

[[noreturn]] void Missing(const OnDemandLibrary& library, const char* reason) {
  std::fprintf(stderr, "glyctl: %s needs %s, which cannot be loaded: %s\n", library.neededBy, library.file,
               reason ? reason : "unknown error");
  // Any thread may get here, in the middle of a job: nothing may run the
  // program's exit handlers under it. Job folders left behind are removed
  // by the next start.
  std::fflush(stdout);
  std::_Exit(kExitSetup);
}

}  // namespace

void* OnDemandEntry(const OnDemandLibrary& library, const char* name) {
  static std::mutex mutex;
  static std::map<const OnDemandLibrary*, void*> opened;
  void* handle = nullptr;
  {
    const std::lock_guard<std::mutex> lock(mutex);
    void*& slot = opened[&library];
    if (!slot) {
      const std::string path = library.programOwn ? PrivateLibraryPath(library.file) : library.file;
      slot = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (!slot) Missing(library, dlerror());
    handle = slot;
  }
  void* entry = dlsym(handle, name);
  if (!entry) Missing(library, (std::string("no function ") + name).c_str());
  return entry;
}
