#include "download/job_folder.h"

#include <climits>

#include "platform/private_folder.h"

namespace {

std::string MakeJobFolder(const char* parent) {
  char buffer[PATH_MAX];
  return PlatformCreatePrivateFolder(parent, "gly-jobs-", buffer, sizeof buffer) != 0 ? buffer : "";
}

}  // namespace

JobFolder::JobFolder() : path_(MakeJobFolder(nullptr)) {}

JobFolder::JobFolder(const std::string& parent) : path_(MakeJobFolder(parent.c_str())) {}

JobFolder::~JobFolder() {
  if (!path_.empty()) PlatformRemoveFolderTree(path_.c_str());
}

std::string JobFilePath(const std::string& folder, const char* name) {
  return folder.empty() ? std::string() : folder + "/" + name;
}
