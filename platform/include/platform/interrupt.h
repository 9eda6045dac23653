// What a command-line process leaves behind when it is interrupted: the
// paths registered here (temporary folders and files) are removed when
// SIGINT, SIGTERM or SIGHUP arrives, and the process then ends with status
// 128 + the signal's number, as a shell reports a process killed by it.
#pragma once

#include "platform/types.h"

PLATFORM_BEGIN_DECLS

// Blocks the three signals in the calling thread and every thread it starts
// afterwards, and starts the thread that waits for them, so the cleanup runs
// as ordinary code outside any signal handler. Call it first thing, before
// any other thread exists. FALSE when the thread cannot be started.
PLATFORM_API BOOL PlatformStartInterruptCleanup(void);

// The same ending for a process that leaves nothing to remove: the three
// signals end it with 128 + their number, with no thread started.
PLATFORM_API void PlatformEndOnInterrupt(void);

// Registers `path` (a file, or a folder with everything in it) to be removed
// on an interrupt; PlatformForgetOnInterrupt takes it off again. Any thread
// may call; without PlatformStartInterruptCleanup nothing is ever removed.
PLATFORM_API void PlatformRemoveOnInterrupt(const char* path);
PLATFORM_API void PlatformForgetOnInterrupt(const char* path);

PLATFORM_END_DECLS
