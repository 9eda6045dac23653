// Reverse look-ups: a job on the calling thread fans a list of addresses
// out to up to 10 lookup threads, which make the blocking name-service
// call, and delivers the names once every thread is collected.
#pragma once

#include <cstddef>

#include "platform/thread.h"
#include "platform/window.h"

namespace tessel::qtl {

constexpr int kMaxLookupThreads = 10;
// Room for a looked-up host name with its terminator.
constexpr size_t kHostNameSize = 128;

// Step 4 of QTLProcessData, on the job's owner: takes note of lookup
// threads that have finished, and ends the owner's wait once all are in.
void CollectLookupThreads();

// What a job asks of the platform. Tests swap these to make a window or a
// thread fail; the defaults make a "QTL32" window and start a thread.
struct LookupPlatform {
  HWND (*createWindow)();
  HANDLE (*startThread)(LPTHREAD_START_ROUTINE start, void* parameter);
};
LookupPlatform& LookupPlatformCalls();

}  // namespace tessel::qtl
