#include "glyctl/on_demand/on_demand_library.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "glyctl/exit_codes.h"
#include "platform/module.h"
#include "printers/app_directory.h"

namespace {

[[noreturn]] void Missing(const OnDemandLibrary& library, const char* reason) {
  std::fprintf(stderr, "glyctl: %s needs %s, which cannot be loaded: %s\n", library.neededBy, library.file, reason);
  // Any thread may get here, in the middle of a job: nothing may run the
  // program's exit handlers under it. Job folders left behind are removed
  // by the next start.
  std::fflush(stdout);
  std::_Exit(kExitSetup);
}

// The library's module, opened at the first call for it and kept for the
// rest of the run: finding a library of the program's own costs a look at
// the program's path and folder, which its other functions need not repeat.
HMODULE Opened(const OnDemandLibrary& library) {
  static std::mutex lock;
  static std::map<const OnDemandLibrary*, HMODULE> opened;
  std::lock_guard hold(lock);
  HMODULE& module = opened[&library];
  if (!module) {
    const std::string path = library.programOwn ? PrivateLibraryPath(library.file) : library.file;
    module = LoadLibraryA(path.c_str());
    if (!module) Missing(library, "not found or not loadable");
  }
  return module;
}

}  // namespace

// Each forwarding function looks its entry up once.
void* OnDemandEntry(const OnDemandLibrary& library, const char* name) {
  HMODULE module = Opened(library);
  FARPROC entry = GetProcAddress(module, name);
  if (!entry) Missing(library, (std::string("it has no function ") + name).c_str());
  return reinterpret_cast<void*>(entry);
}
