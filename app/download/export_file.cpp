#include "download/export_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <random>

#include "platform/interrupt.h"

namespace {

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The folder part of `path` ("." when it has none) and the name part.
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
  const size_t slash = path.find_last_of('/');
  folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// A name no file has yet, made with O_EXCL: nothing planted there is used.
int CreateBeside(const std::string& target, mode_t mode, std::string& created) {
  std::string folder, name;
  SplitPath(target, folder, name);
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = folder + "/." + name + "." + std::to_string(getpid()) + "-" +
                                  std::to_string(random() % 1000000) + ".part";
    const int descriptor = open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (descriptor >= 0) {
      created = candidate;
      return descriptor;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

}  // namespace

ExportFile::~ExportFile() {
  if (temporary_.empty()) return;
  unlink(temporary_.c_str());
  PlatformForgetOnInterrupt(temporary_.c_str());
}

ExportFile::Opened ExportFile::Open(const std::string& target, const std::vector<std::string>& inputs) {
  struct stat status {};
  mode_t mode = 0666;  // less the umask, as for any new file
  bool replacing = false;
  target_ = target;
  if (lstat(target.c_str(), &status) == 0) {
    if (S_ISLNK(status.st_mode)) {
      char resolved[PATH_MAX];
      if (stat(target.c_str(), &status) != 0 || realpath(target.c_str(), resolved) == nullptr)
        return Opened::kNotRegularFile;
      target_ = resolved;
    }
    if (!S_ISREG(status.st_mode)) return Opened::kNotRegularFile;
    for (const std::string& input : inputs) {
      struct stat read {};
      if (stat(input.c_str(), &read) == 0 && SameFile(read, status)) return Opened::kIsAnInput;
    }
    mode = status.st_mode & 07777;  // the replaced file's permissions stay
    replacing = true;
  }
  std::string created;
  const int descriptor = CreateBeside(target_, mode, created);
  if (descriptor < 0) return Opened::kCannotCreate;
  temporary_ = created;
  PlatformRemoveOnInterrupt(temporary_.c_str());
  if (replacing) fchmod(descriptor, mode);
  file_ = std::make_shared<JobFile>(descriptor, target_);
  return Opened::kOpen;
}

bool ExportFile::Commit() {
  if (!file_) return false;
  struct stat status {};
  if (fstat(file_->descriptor(), &status) != 0 || fsync(file_->descriptor()) != 0) return false;
  if (status.st_size == 0) {
    unlink(target_.c_str());
    return true;  // the temporary file goes with the object
  }
  if (rename(temporary_.c_str(), target_.c_str()) != 0) return false;
  PlatformForgetOnInterrupt(temporary_.c_str());
  temporary_.clear();
  return true;
}
