// A status table as both families keep it: rows of (code, name, message),
// ended by a row without a name.
#pragma once

#include <cstdint>

namespace tessel {

struct StatusRow {
  int32_t code;
  const char* name;
  const char* message;
};

#define TESSEL_STATUS_ROW(name, code, message) {(code), #name, (message)},

// The text of `kind` (1 name, 2 message) of the first row with `code`, or
// nullptr when no row has it. Kind is checked by the callers.
const char* FindStatusText(const StatusRow* rows, int32_t code, int32_t kind);

}  // namespace tessel
