// The SNMP library's readers of what a printer answers on its AppSocket
// port: PJL file-system replies and tables, uploads, PCL status readback
// and PostScript name lists.
#include <cstdint>
#include <string_view>

#include "pjl_name_check.h"
#include "pjl_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  glysnmp::FileSystemReply reply = glysnmp::ReadFileSystemReply(bytes);
  if (reply.lines.size() > glysnmp::kMostPjlListed) __builtin_trap();
  CheckName(reply.type);
  for (const glysnmp::DirectoryEntry& entry : glysnmp::ReadDirectoryEntries(reply.lines)) CheckName(entry.name);
  glysnmp::ReadFileSystemTable(bytes);
  for (const std::string& option : glysnmp::ReadConfigOptions(bytes, "LANGUAGES")) CheckName(option);
  if (std::optional<std::string_view> upload = glysnmp::ReadUploadBytes(bytes)) {
    if (upload->data() < bytes.data() || upload->data() + upload->size() > bytes.data() + bytes.size()) {
      __builtin_trap();
    }
  }
  for (const glysnmp::PclReadbackFont& font : glysnmp::ReadPclFontReadback(bytes)) CheckName(font.name);
  for (const std::string& name : glysnmp::ReadPostScriptNames(bytes)) CheckName(name);
  return 0;
}
