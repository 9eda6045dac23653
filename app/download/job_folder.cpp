#include "download/job_folder.h"

#include <climits>

#include "platform/interrupt.h"
#include "platform/private_folder.h"

namespace {

// The folder goes on an interrupt too, with the font data in it.
std::string MakeJobFolder(const char* parent) {
  char buffer[PATH_MAX];
  if (PlatformCreatePrivateFolder(parent, kJobFolderPrefix, buffer, sizeof buffer) == 0) return "";
  PlatformRemoveOnInterrupt(buffer);
  return buffer;
}

}  // namespace

JobFolder::JobFolder() : path_(MakeJobFolder(nullptr)) {}

JobFolder::JobFolder(const std::string& parent)
    : path_(MakeJobFolder(parent.empty() ? nullptr : parent.c_str())) {}

JobFolder::~JobFolder() {
  if (path_.empty()) return;
  PlatformRemoveFolderTree(path_.c_str());
  PlatformForgetOnInterrupt(path_.c_str());
}

void RemoveStaleJobFolders(const std::string& parent) {
  PlatformRemoveStalePrivateFolders(parent.empty() ? nullptr : parent.c_str(), kJobFolderPrefix);
}

JobFile::JobFile(int descriptor, std::string path) : descriptor_(descriptor), path_(std::move(path)) {}

JobFile::~JobFile() { PlatformCloseDescriptor(descriptor_); }

std::unique_ptr<JobFile> OpenShippedJobFile(const std::string& path) {
  const int descriptor = PlatformOpenRegularFile(path.c_str());
  return descriptor < 0 ? nullptr : std::make_unique<JobFile>(descriptor, path);
}

OpenJobFolder::OpenJobFolder(std::string path)
    : path_(std::move(path)), descriptor_(PlatformOpenPrivateFolder(path_.c_str())) {}

OpenJobFolder::~OpenJobFolder() { PlatformCloseDescriptor(descriptor_); }

std::string OpenJobFolder::FilePath(const char* name) const {
  return isOpen() ? path_ + "/" + name : std::string();
}

std::shared_ptr<JobFile> OpenJobFolder::CreateFile(const char* name) const {
  const int descriptor = PlatformCreateFileIn(descriptor_, name);
  if (descriptor < 0) return nullptr;
  return std::make_shared<JobFile>(descriptor, FilePath(name));
}

bool OpenJobFolder::HasLessRoomThan(uint64_t bytes) const {
  uint64_t free = 0;
  return isOpen() && PlatformFreeBytesInFolder(path_.c_str(), &free) && free < bytes;
}

void OpenJobFolder::RemoveFile(const char* name) const { PlatformRemoveFileIn(descriptor_, name); }
