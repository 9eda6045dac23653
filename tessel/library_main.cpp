// Runs the library's start when the loader maps it and its end when it is
// unmapped. The transport half starts first and stops first; its steps join
// these two functions, ahead of the runtime services, with the transport
// frame.
#include "runtime.h"

namespace {

// A loader cannot be told that a constructor failed, and the host process
// must not die of it. A start that fails leaves the library loaded but
// failed: the start has said why on standard error, and every call answers
// with a status.
__attribute__((constructor)) void TesselProcessAttach() { tessel::qrtl::StartRuntimeServices(); }

__attribute__((destructor)) void TesselProcessDetach() { tessel::qrtl::StopRuntimeServices(); }

}  // namespace
