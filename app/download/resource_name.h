// The name under which a PCL macro or a PostScript form is stored on the
// printer, as typed in the "Form / Macro Name" dialog: a macro is stored
// under its macro ID, a form under its resource name.
#pragma once

#include <string>
#include <string_view>

#include "download/download_job.h"

enum class ResourceNameKind { kMacroId, kFormName };

// Room for the name in the printer's 128-byte path beside the longest
// device and folder.
inline constexpr std::size_t kMostFormNameLength = 64;

// Why `typed` cannot be used as the name: a text for the user; empty when
// it can. A macro ID is a decimal number from 0 to 32767. A form name is
// letters, digits, "_", "-" and "." that do not start it: it becomes a
// file name on the printer.
std::string ResourceNameProblem(ResourceNameKind kind, std::string_view typed);
