#include "log_settings.h"

#include <cstdlib>
#include <cstring>

#include "platform/profile.h"
#include "tessel/qrtl.h"

namespace tessel::qrtl {
namespace {

constexpr int kProfileScope = 2;
// The settings are short decimal texts: 13 characters and the NUL.
constexpr int kSettingSize = 14;

long ReadThreshold(const char* entry, const char* defaultText) {
  char text[kSettingSize];
  if (QRTLGetProfileEntry("QRTL", entry, defaultText, text, kSettingSize, kProfileScope) !=
      QRTL_SUCCESS) {
    return std::strtol(defaultText, nullptr, 10);
  }
  return std::strtol(text, nullptr, 10);
}

}  // namespace

LogSettings ReadLogSettings() {
  LogSettings settings;
  const long upper = ReadThreshold("LoggingUpperThreshold", "131072");
  const long lower = ReadThreshold("LoggingLowerThreshold", "65536");
  if (upper > 0 && lower > 0 && lower < upper) {
    settings.upperThreshold = upper;
    settings.lowerThreshold = lower;
  }
  char outputTo[kSettingSize];
  GetPrivateProfileStringA("Debug", "OutputTo", "", outputTo, kSettingSize, "system.ini");
  settings.mirror = std::strcmp(outputTo, "NUL") == 0;
  return settings;
}

}  // namespace tessel::qrtl
