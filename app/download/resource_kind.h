// What a resource file is, as the resource list shows it: the type text for a
// classification result, and the extensions of files passed through unread.
#pragma once

#include <cstdint>
#include <string_view>

#include "download/contract/converter.h"

enum class ResourceKind : std::uint16_t {
  None = 0,
  TrueType = 1,
  PclSoftFont = 2,
  PostScript = 3,
};

// The "Resource Type" text for a font the converter recognised. The
// binary-encoding bit of a PostScript subtype does not change the text.
std::string_view FontTypeText(const ResourceKindInfo& info);

// What a file that is not a font is, by its extension: a PCL macro
// (".pcl"), a print file sent as it is (".prn"), a PostScript form
// (".frm"), in any case; kNone when the file is not accepted at all.
enum class PassThroughKind { kNone, kPclMacro, kPrintFile, kPostScriptForm };
PassThroughKind PassThroughKindOf(std::string_view fileName);

// The text for a file that is not a font, by its extension; empty when the
// file is not accepted at all.
std::string_view PassThroughTypeText(std::string_view fileName);

// The extension: the text from the last "." of the name to its end; empty
// when the name has no dot.
std::string_view FileExtension(std::string_view fileName);

// True when the name's extension equals `extension` (with its dot),
// ignoring ASCII case.
bool HasExtension(std::string_view fileName, std::string_view extension);
