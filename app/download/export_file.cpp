#include "download/export_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <random>
#include <string_view>

#include "platform/interrupt.h"

namespace {

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The folder part of `path` ("." when it has none) and the name part.
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
  const size_t slash = path.find_last_of('/');
  folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether the link `link` (its lstat) in `folder` may be followed: not when
// the folder is sticky or others may write in it and the link is another
// user's, root excepted.
bool MayFollowLink(const std::string& folder, const struct stat& link) {
  struct stat where {};
  if (stat(folder.c_str(), &where) != 0) return false;
  const bool shared = (where.st_mode & (S_ISVTX | S_IWOTH)) != 0;
  return !shared || link.st_uid == geteuid() || link.st_uid == 0;
}

// The process number in the name of a new file CreateBeside made
// (".NAME.PID-N.part"); 0 for any other name.
pid_t PartFileOwner(std::string_view name) {
  constexpr std::string_view kSuffix = ".part";
  if (!name.starts_with('.') || !name.ends_with(kSuffix)) return 0;
  name.remove_suffix(kSuffix.size());
  const size_t dot = name.rfind('.'), dash = name.rfind('-');
  if (dot == 0 || dot == std::string_view::npos || dash == std::string_view::npos || dash < dot) return 0;
  const std::string_view pid = name.substr(dot + 1, dash - dot - 1), serial = name.substr(dash + 1);
  pid_t owner = 0;
  unsigned number = 0;
  const auto [pidEnd, pidError] = std::from_chars(pid.data(), pid.data() + pid.size(), owner);
  const auto [serialEnd, serialError] = std::from_chars(serial.data(), serial.data() + serial.size(), number);
  if (pidError != std::errc() || pidEnd != pid.data() + pid.size() || serialError != std::errc() ||
      serialEnd != serial.data() + serial.size() || serial.empty() || owner <= 0)
    return 0;
  return owner;
}

// Removes the new files of ended exports of this user from `folder`: their
// process no longer runs, so nothing will put them in place or remove them.
void RemoveEndedRunsParts(const std::string& folder) {
  DIR* listing = opendir(folder.c_str());
  if (!listing) return;
  const int at = dirfd(listing);
  while (const dirent* entry = readdir(listing)) {
    const pid_t owner = PartFileOwner(entry->d_name);
    if (owner == 0 || owner == getpid() || kill(owner, 0) == 0 || errno != ESRCH) continue;
    struct stat status {};
    if (fstatat(at, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode) &&
        status.st_uid == geteuid())
      unlinkat(at, entry->d_name, 0);
  }
  closedir(listing);
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
  std::string folder, name;
  SplitPath(target, folder, name);
  if (lstat(target.c_str(), &status) == 0) {
    if (S_ISLNK(status.st_mode)) {
      if (!MayFollowLink(folder, status)) return Opened::kForeignLink;
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
  std::string partsFolder, targetName;
  SplitPath(target_, partsFolder, targetName);
  RemoveEndedRunsParts(partsFolder);
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
