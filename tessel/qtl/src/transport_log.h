// Log lines of the transport layer, under its subsystem number.
#pragma once

#include <cstdint>

namespace tessel::qtl {

// Formats into the calling thread's context buffer, or a buffer of its own
// on a thread without a context (an endpoint thread).
void LogLine(int32_t level, const char* format, ...) __attribute__((format(printf, 2, 3)));
// "Call to %s failed.  Error = %d" with the socket library's last error at
// error level; returns that error number.
int LogFailedCall(const char* call);

}  // namespace tessel::qtl
