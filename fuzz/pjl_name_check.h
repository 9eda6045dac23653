// What every reader of a printer's AppSocket replies promises of a name it
// keeps: no more than kMostPjlNameBytes bytes.
#pragma once

#include <string>

#include "pjl_reply.h"

inline void CheckName(const std::string& name) {
  if (name.size() > glysnmp::kMostPjlNameBytes) __builtin_trap();
}
