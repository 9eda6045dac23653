// The platform's built-in modules, registered when the module service first
// runs, so LoadLibraryA finds them by name like any library on disk.
#pragma once

#include "platform/module.h"

// An export row's address. The signature is named, so that an entry point
// whose shape drifts from the one its callers cast to does not compile.
template <typename Signature>
FARPROC platform_entry(Signature function) {
  return reinterpret_cast<FARPROC>(function);
}

const PlatformModuleTable* platform_wsock32_module();  // "WSOCK32.DLL"
const PlatformModuleTable* platform_icmp_module();     // "ICMP.DLL"
