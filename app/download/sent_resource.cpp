#include "download/sent_resource.h"

std::string FontPrinterPath(SentKind kind, StorageLocation location, std::string_view name) {
  std::string path = location == kFlashMemory ? "1:" : "0:";
  path += kind == SentKind::kPclFont ? "\\pcl\\fonts\\" : "\\fonts\\";
  path += name;
  return path;
}
