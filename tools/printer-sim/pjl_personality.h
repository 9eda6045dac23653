// PJL replies in the shapes printers in the field give them. The channel
// (pjl_channel.h) writes each reply as the PJL reference has it; the
// session passes it through ShapePjlReply, which rewrites it as the
// printer's PjlPersonality says: its line ends, keys in lower case, blanks
// around "=", NULs before "@PJL", SIZE= before TYPE=, the echoed command
// line left out (an FSUPLOAD keeps its header line, which carries the
// size of its data, an FSQUERY the TYPE= and SIZE= of that line, and an
// ECHO its words). Upload data stays as it is.
#pragma once

#include <string>
#include <string_view>

#include "printer_sim.h"

namespace printer_sim {

std::string ShapePjlReply(std::string_view reply, const PjlPersonality& pjl);
// The status report a printer sends unasked (USTATUS DEVICE).
std::string UnsolicitedStatus(const PjlPersonality& pjl);

}  // namespace printer_sim
