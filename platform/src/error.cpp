#include "platform/error.h"

namespace {
thread_local DWORD last_error = ERROR_SUCCESS;
thread_local UINT error_mode = 0;
}  // namespace

DWORD GetLastError(void) { return last_error; }

void SetLastError(DWORD error) { last_error = error; }

UINT SetErrorMode(UINT mode) {
  UINT previous = error_mode;
  error_mode = mode;
  return previous;
}
