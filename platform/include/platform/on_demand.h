// Functions of a shared library that its caller defines itself, each
// forwarding to the library's own, looked up at its first call: the caller
// is not linked against the library, so a process that never calls it
// never loads it, and the compiler still checks every definition against
// the declaration in the library's header.
#pragma once

// Defines `name`, declared by the library's header with `parameters`, as a
// call with `arguments` of the address `lookup(library, "name")` gives. The
// lookup runs once, at the first call; it returns the address or does not
// return.
#define PLATFORM_ON_DEMAND(lookup, library, result, name, parameters, arguments)                 \
  result name parameters {                                                                     \
    static const auto entry = reinterpret_cast<decltype(&name)>(lookup(library, #name));       \
    return entry arguments;                                                                    \
  }
