// The first bytes of a file a printer holds, read back over PJL, so that a
// download can tell its own copy from an older one of the same name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "pjl_inventory.h"

namespace glysnmp {

// Up to `bytes` bytes from the start of the file at `path` (a PJL path),
// by FSUPLOAD into `head`: stored when the printer gave them, not stored
// when it says there is no such file, unknown otherwise (no answer, access
// off or locked, or a path that would not survive being quoted).
StoredFile UploadPjlFileHead(const PjlPrinter& printer, std::string_view path, uint32_t bytes, std::string* head);

}  // namespace glysnmp
