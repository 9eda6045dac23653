// The blocking hook a delay calls while it handles the thread's messages.
#pragma once

#include <cstdint>

namespace tessel::qtl {

// Dispatches one queued message of the calling thread; 1 if there was one.
int32_t DefaultBlockingHook();

}  // namespace tessel::qtl
