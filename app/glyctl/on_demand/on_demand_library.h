// A library that glyctl opens at its first use instead of at
// start-up. glyctl defines the functions it calls of the library itself,
// each forwarding to the library's own, so the program does not name the
// library when it is linked and most commands never load it.
#pragma once

#include "platform/on_demand.h"

struct OnDemandLibrary {
  const char* file;      // the name the system's loader knows it by: "libcups.so.2"
  const char* neededBy;  // what needs it, for the message when it is missing
  bool programOwn = false;  // one of the program's own libraries (PrivateLibraryPath)
};

// The address of `name` in `library`, which is opened on the first call. A
// library that cannot be opened, or lacks `name`, ends glyctl with
// kExitSetup and a message naming it: the installation is incomplete, and
// no caller could go on without the function.
void* OnDemandEntry(const OnDemandLibrary& library, const char* name);

// Defines `name`, declared by the library's header with `parameters`, as a
// call of the library's own function with `arguments`, looked up once.
#define GLY_ON_DEMAND(library, result, name, parameters, arguments) \
  PLATFORM_ON_DEMAND(OnDemandEntry, library, result, name, parameters, arguments)
