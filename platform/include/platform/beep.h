// The simple beep of user feedback.
#pragma once

#include "platform/types.h"

#define MB_SIMPLE_BEEP 0xFFFFFFFFu

PLATFORM_BEGIN_DECLS

// Rings the terminal bell on standard error when that is a terminal; there
// is no sound device to reach otherwise. Always succeeds.
PLATFORM_API BOOL MessageBeep(UINT type);

PLATFORM_END_DECLS
