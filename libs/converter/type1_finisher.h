// Turns an unencrypted Type 1 program in disassembled form (see
// type1_program.h; t1disasm output is the same form) into a PFA: every
// charstring assembled and encrypted, the private part eexec-encrypted and
// written as hexadecimal lines, followed by the closing zeros.
#pragma once

#include <string_view>

#include "output_sink.h"

namespace converter {

// False when the program has no "eexec" line, no closing "closefile" line, an
// unterminated charstring or one that does not assemble.
bool EncryptType1Program(std::string_view program, OutputSink& pfa);

}  // namespace converter
