// Runs the library's start when the loader maps it and its end when it is
// unmapped. The transport half starts first and stops first; its steps join
// these two functions, ahead of the runtime services, with the transport
// frame.
#include <cstdio>
#include <cstdlib>

#include "runtime.h"

namespace {

__attribute__((constructor)) void TesselProcessAttach() {
  // A loader cannot be told that a constructor failed. Without its event
  // slot the library could not keep a thread's handlers apart, so it stops
  // the process the way a refused library load stops a program linked to it.
  if (!tessel::qrtl::StartRuntimeServices()) {
    std::fputs("tessel: the runtime services could not start\n", stderr);
    std::abort();
  }
}

__attribute__((destructor)) void TesselProcessDetach() { tessel::qrtl::StopRuntimeServices(); }

}  // namespace
