// The SNMP library's readers of a stored font file's head: PCL
// descriptors, PostScript headers and PFB segments, TrueType table
// directories and name tables.
#include <cstdint>
#include <string_view>

#include "font_file_name.h"
#include "pjl_name_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckName(glysnmp::ReadFontFileName(bytes).name);
  glysnmp::FindTrueTypeNameTable(bytes);
  if (std::optional<std::string> name = glysnmp::ReadTrueTypeName(bytes)) CheckName(*name);
  return 0;
}
