#include "download/sent_resource.h"

std::string PostScriptPrinterPath(StorageLocation location, std::string_view folder, std::string_view name) {
  std::string path = location == kFlashMemory ? "1:\\" : "0:\\";
  path += folder;
  path += '\\';
  path += name;
  return path;
}
