#include "transport_log.h"

#include <cstdarg>
#include <cstdio>

#include "frame.h"
#include "socket_library.h"

namespace tessel::qtl {

void LogLine(int32_t level, const char* format, ...) {
  char ownBuffer[sizeof(ThreadContext::logLine)];
  ThreadContext* context = CurrentContext();
  char* line = context ? context->logLine : ownBuffer;
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof ownBuffer, format, arguments);
  va_end(arguments);
  QRTLWriteToLog(QRTL_SUBSYSTEM_QTL, level, line);
}

int LogFailedCall(const char* call) {
  const int error = Winsock().WSAGetLastError ? Winsock().WSAGetLastError() : 0;
  LogLine(QRTL_LOG_ERROR, "Call to %s failed.  Error = %d", call, error);
  return error;
}

}  // namespace tessel::qtl
