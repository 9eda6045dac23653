#include "download/job_folder.h"

#include <climits>

#include "platform/private_folder.h"

JobFolder::JobFolder() {
  char buffer[PATH_MAX];
  if (PlatformCreatePrivateFolder("gly-jobs-", buffer, sizeof buffer) != 0) path_ = buffer;
}

JobFolder::~JobFolder() {
  if (!path_.empty()) PlatformRemoveFolderTree(path_.c_str());
}

std::string JobFilePath(const std::string& folder, const char* name) {
  return folder.empty() ? std::string() : folder + "/" + name;
}
