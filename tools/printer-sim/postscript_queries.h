// The PostScript a font manager sends a printer to ask about its fonts and
// disk, run by a small bounded interpreter: literals (integers, strings,
// names, procedures), dup, pop, exch, =, ==, print, flush, cvn, string,
// get, known, forall (over a dictionary), true, false, and
//
//   (*) {cvn ==} 128 string /Font resourceforall   every PostScript font
//   FontDirectory {pop ==} forall                  the fonts in memory (ROM fonts)
//   (%disk0%) currentdevparams /Free get ==        BlockSize, Free, LogicalSize,
//                                                  PhysicalSize (blocks of 1024 bytes)
//   (%disk0%fonts/*) {==} 128 string filenameforall
//   (%disk0%fonts/Name) deletefile
//
// "%disk0%" is the printer's disk, "%cartridge0%" its flash memory. `=`
// and `==` write their line ended by LF. Anything else stops the job with
// the error message printers send, each line ended by CR LF:
//
//   %%[ Error: undefined; OffendingCommand: foo ]%%
//   %%[ Flushing: rest of job (to end-of-file) will be ignored ]%%
#pragma once

#include <string>
#include <string_view>

#include "printer.h"

namespace printer_sim {

// What the job writes back.
std::string AnswerPostScriptQueries(std::string_view program, Printer& printer);

}  // namespace printer_sim
