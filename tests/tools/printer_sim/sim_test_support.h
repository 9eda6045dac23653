// Helpers of the virtual printer's tests: running the peer tools, and font
// download jobs written by hand from the two job formats.
#pragma once

#include <cstdint>
#include <string>

#include "printer_sim.h"

namespace sim_test {

struct CommandResult {
  int exitCode = -1;
  std::string output;  // standard output only
};
CommandResult RunCommand(const std::string& command);

// A blocking TCP connection to `address`:`port` whose reads give up after
// five seconds; -1 (errno set) when it cannot be made.
int ConnectTcp(const std::string& address, uint16_t port);

// "127.0.0.X:PORT" of a printer's SNMP agent, for net-snmp's tools.
std::string SnmpTarget(const printer_sim::Simulator& simulator, size_t printer);
// The net-snmp command line start: tool, version 2c, community, short
// time-out, no MIB files, numeric output.
std::string SnmpTool(const std::string& tool, const std::string& community = "vorpal",
                     const std::string& version = "2c");

void WriteFile(const std::string& path, const std::string& bytes);

// A PCL soft font: font ID command, descriptor header (64 bytes, the name
// at bytes 48 to 63) and some character data.
std::string PclSoftFont(const std::string& name, int fontId);
// A PJL file-system download of `font` to volume "0:" (with FSMKDIR) or
// "1:", as `name` under pcl\fonts.
std::string PjlDownload(char volume, const std::string& name, const std::string& font);
// A Type 1 font program in text form, its lines ended by CR LF.
std::string Type1FontText(const std::string& fontName);
// A PostScript download job as the printer reads it: the download_font
// procedure's device unit ("%disk0%" or "%cartridge0%") and folder, the
// call line, the font's lines and the end marker (the procedure's body,
// which a PostScript interpreter runs, is left out).
std::string PostScriptDownload(bool flash, const std::string& name, const std::string& font);

}  // namespace sim_test
