// The log's process-wide settings, read once when the library starts.
#pragma once

namespace tessel::qrtl {

struct LogSettings {
  long upperThreshold = 131072;
  long lowerThreshold = 65536;
  // Lines also go to standard error, where the debugger output went.
  bool mirror = false;
};

// Thresholds from "LoggingUpperThreshold" and "LoggingLowerThreshold" in
// section "QRTL" of profile scope 2, both replaced by the defaults unless
// 0 < lower < upper; the mirror flag from "OutputTo" in section "Debug" of
// system.ini, set exactly when it says "NUL".
LogSettings ReadLogSettings();

}  // namespace tessel::qrtl
