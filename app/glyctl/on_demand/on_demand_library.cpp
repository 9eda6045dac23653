#include "glyctl/on_demand/on_demand_library.h"

#include <cstdio>
#include <cstdlib>
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

}  // namespace

// Each forwarding function looks its entry up once; loading the library
// again for the next one only adds a reference to the same module.
void* OnDemandEntry(const OnDemandLibrary& library, const char* name) {
  const std::string path = library.programOwn ? PrivateLibraryPath(library.file) : library.file;
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) Missing(library, "not found or not loadable");
  FARPROC entry = GetProcAddress(module, name);
  if (!entry) Missing(library, (std::string("it has no function ") + name).c_str());
  return reinterpret_cast<void*>(entry);
}
