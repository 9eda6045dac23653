// Runs the library's start when the loader maps it and its end when it is
// unmapped. The transport half starts first, then the runtime services; the
// end runs the same halves in the same order.
#include <cstdio>

#include "frame.h"
#include "runtime.h"

namespace {

// A loader cannot be told that a constructor failed, and the host process
// must not die of it. A start that fails leaves the library loaded but
// failed: the start has said why on standard error, and every call answers
// with a status.
__attribute__((constructor)) void TesselProcessAttach() {
  if (!tessel::qtl::StartTransportFrame()) {
    std::fputs("tessel: the transport layer could not start: no thread-local slot or window "
               "class\n",
               stderr);
    return;
  }
  if (!tessel::qrtl::StartRuntimeServices()) tessel::qtl::StopTransportFrame();
}

__attribute__((destructor)) void TesselProcessDetach() {
  tessel::qtl::StopTransportFrame();
  tessel::qrtl::StopRuntimeServices();
}

}  // namespace

// Nothing in the library refers to the hooks above, so a program linked
// against the static archive names this to take them along (tessel.pc's
// flags for a static link do: -Wl,--undefined=TesselLoadHooks).
extern "C" void TesselLoadHooks() {}
