// The IEEE 1284 device ID a printer gives through the Printer Port Monitor
// MIB: "KEY:value;KEY:value;...", such as
// "MFG:Ostrel;MDL:Model 40;CMD:PJL,PCL,POSTSCRIPT;".
#pragma once

#include <string>
#include <string_view>

namespace glysnmp {

struct DeviceIdFields {
  std::string model;          // MDL (or MODEL), trimmed
  bool pageLanguage = false;  // CMD (or COMMAND SET) names a printer language
  std::string commandSet;     // CMD (or COMMAND SET), trimmed
};

// Keys are matched without regard to case and blanks around them; a field
// without a colon is skipped. Reads at most kMostDeviceIdBytes of `text`.
DeviceIdFields ParseDeviceId(std::string_view text);

// A device ID is a 16-bit length at most; agents give it as a DisplayString
// of up to 255 octets, some longer. Nothing beyond this is read.
inline constexpr size_t kMostDeviceIdBytes = 1024;

}  // namespace glysnmp
