#include "log_line.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <iterator>

#include "tessel/qrtl.h"

namespace tessel::qrtl {
namespace {

constexpr size_t kNameSize = 16;

// The names printed for the subsystems of the product family. 3 and 6 are
// tessel's own halves; the rest name the family's other components.
struct SubsystemRange {
  int32_t first;
  const char* const* names;
  int32_t count;
};

constexpr const char* kCoreNames[] = {"CORE", "CFG", "QTL", "SNMP", "LPR", "QRTL",
                                      "PJL",  "PS",  "PCL", "FONT", "UI"};
constexpr const char* kServiceNames[] = {"SVC", "SPOOL", "MON"};
constexpr const char* kDriverNames[] = {"DRV",  "PORT", "DISC", "MIB", "JOB",  "QUEUE",
                                        "STAT", "CONV", "TT",   "T1",  "T42",  "MACRO",
                                        "FORM", "PRN",  "RPT",  "DLG", "DEBUG"};

constexpr SubsystemRange kSubsystems[] = {
    {1, kCoreNames, std::size(kCoreNames)},
    {100, kServiceNames, std::size(kServiceNames)},
    {200, kDriverNames, std::size(kDriverNames)},
};

}  // namespace

LogTime CurrentLocalTime() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millisecond =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  return {.month = local.tm_mon + 1,
          .day = local.tm_mday,
          .year = local.tm_year + 1900,
          .hour = local.tm_hour,
          .minute = local.tm_min,
          .second = local.tm_sec,
          .millisecond = static_cast<int>(millisecond)};
}

const char* SubsystemName(int32_t subsystem, char* name) {
  for (const SubsystemRange& range : kSubsystems) {
    if (subsystem >= range.first && subsystem - range.first < range.count) {
      return range.names[subsystem - range.first];
    }
  }
  std::snprintf(name, kNameSize, "U (%d)", subsystem);
  return name;
}

const char* LevelName(int32_t level, int32_t levelMask, char* name) {
  if (level == QRTL_LOG_ALL) return "All";
  const auto bits = static_cast<uint32_t>(level & levelMask);
  const uint32_t highest = bits == 0 ? 0 : 1u << (31 - __builtin_clz(bits));
  switch (highest) {
    case QRTL_LOG_ERROR:
      return "Error";
    case QRTL_LOG_WARNING:
      return "Warning";
    case QRTL_LOG_INFO:
      return "Info";
    case QRTL_LOG_DEBUG:
      return "Debug";
    default:
      std::snprintf(name, kNameSize, "U (%d)", level);
      return name;
  }
}

std::string FormatLogLine(const LogTime& time, int32_t subsystem, int32_t level, int32_t levelMask,
                          const char* text) {
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%02d/%02d/%d %02d:%02d:%02d.%03d\t", time.month, time.day,
                time.year, time.hour, time.minute, time.second, time.millisecond);
  char subsystemName[kNameSize];
  char levelName[kNameSize];
  std::string line = stamp;
  line += SubsystemName(subsystem, subsystemName);
  line += '\t';
  line += LevelName(level, levelMask, levelName);
  line += '\t';
  const size_t textStart = line.size();
  line += text != nullptr ? text : "";
  for (size_t i = textStart; i < line.size(); ++i) {
    if (line[i] == '\n')
      line[i] = '\t';
    else if (line[i] == '\r')
      line[i] = ' ';
  }
  line += "\r\n";
  return line;
}

}  // namespace tessel::qrtl
