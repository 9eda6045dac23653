// A stand-in "WSOCK32.DLL" for tests: every entry point of the built-in
// module, with chosen ones replaced or left out, in force while the object
// lives.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/module.h"
#include "platform/winsock.h"

class ReplacedSocketModule {
 public:
  // overrides: entry-point name to address; a null address leaves the
  // entry point out.
  explicit ReplacedSocketModule(const std::map<std::string, FARPROC>& overrides);
  ~ReplacedSocketModule();
  ReplacedSocketModule(const ReplacedSocketModule&) = delete;
  ReplacedSocketModule& operator=(const ReplacedSocketModule&) = delete;

  // The real module's entry point of that name.
  static FARPROC Original(const char* name);

 private:
  std::vector<std::string> names_;
  std::vector<PlatformExport> exports_;
  PlatformModuleTable table_;
};

template <typename Function>
FARPROC AsProc(Function function) {
  return reinterpret_cast<FARPROC>(function);
}
