#include "platform/beep.h"

#include <unistd.h>

BOOL MessageBeep(UINT /*type*/) {
  if (isatty(STDERR_FILENO) == 1) {
    const char bell = '\a';
    (void)!write(STDERR_FILENO, &bell, 1);
  }
  return TRUE;
}
