// How one log line looks: time stamp, subsystem, level and text, each
// ended by a TAB, the line by CR LF.
#pragma once

#include <cstdint>
#include <string>

namespace tessel::qrtl {

struct LogTime {
  int month;
  int day;
  int year;
  int hour;
  int minute;
  int second;
  int millisecond;
};

LogTime CurrentLocalTime();

// Writes the printed name of a subsystem number into `name` (at least 16
// bytes) and returns it.
const char* SubsystemName(int32_t subsystem, char* name);
// The printed level of a line logged at `level` under `levelMask`, which
// must share a bit with it. `name` holds at least 16 bytes.
const char* LevelName(int32_t level, int32_t levelMask, char* name);

// The whole line. LF in the text becomes TAB and CR a blank, so one entry
// is always one line of the file. Throws std::bad_alloc.
std::string FormatLogLine(const LogTime& time, int32_t subsystem, int32_t level, int32_t levelMask,
                          const char* text);

}  // namespace tessel::qrtl
