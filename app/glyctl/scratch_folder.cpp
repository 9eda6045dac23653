#include "glyctl/scratch_folder.h"

#include <stdlib.h>

#include <filesystem>

ScratchFolder::ScratchFolder(const std::string& parent) {
  std::string pattern = parent + "/glyctl-XXXXXX";
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}
