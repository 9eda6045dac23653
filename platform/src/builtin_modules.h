// The platform's built-in modules, registered when the module service first
// runs, so LoadLibraryA finds them by name like any library on disk.
#pragma once

#include "platform/module.h"

const PlatformModuleTable* platform_wsock32_module();  // "WSOCK32.DLL"
const PlatformModuleTable* platform_icmp_module();     // "ICMP.DLL"
