#include "platform/private_folder.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/error.h"

namespace {

// Closed to everybody else: nobody but the owner may enter, read or write.
bool IsOwnAndClosed(const struct stat& status) {
  return status.st_uid == geteuid() && (status.st_mode & 077) == 0;
}

// Where nobody else can rename, remove or replace what this user puts
// there: a real directory of this user closed to others, or root's with the
// sticky bit, which lets each user touch only their own entries.
bool CanHoldPrivateFolders(const char* path) {
  if (path == nullptr || path[0] != '/') return false;
  struct stat status;
  if (lstat(path, &status) != 0 || !S_ISDIR(status.st_mode)) return false;
  return IsOwnAndClosed(status) || (status.st_uid == 0 && (status.st_mode & S_ISVTX) != 0);
}

// The folders to try, in order, when the caller names none.
std::vector<std::string> CandidateParents(const char* parent) {
  if (parent != nullptr) return {parent};
  std::vector<std::string> parents;
  for (const char* variable : {"XDG_RUNTIME_DIR", "TMPDIR"})
    if (const char* value = std::getenv(variable)) parents.push_back(value);
  parents.push_back("/tmp");
  return parents;
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string OwnPrefix(const char* prefix) { return prefix + std::to_string(getpid()) + "-"; }

// mkdtemp makes the folder with mode 0700 and fails rather than reuse a
// name that exists, whatever it is.
bool MakeFolderIn(const std::string& base, const char* prefix, std::string& path) {
  std::string pattern = WithoutTrailingSlashes(base) + "/" + OwnPrefix(prefix) + "XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return false;
  path = pattern;
  return true;
}

// The pid of a name `prefix` + digits + '-' + six characters; 0 for any
// other name.
pid_t OwnerPid(const char* name, const std::string& prefix) {
  if (std::strncmp(name, prefix.c_str(), prefix.size()) != 0) return 0;
  const char* digits = name + prefix.size();
  char* end = nullptr;
  errno = 0;
  const long pid = std::strtol(digits, &end, 10);
  if (errno != 0 || end == digits || !std::isdigit(static_cast<unsigned char>(*digits)) || *end != '-' ||
      std::strlen(end + 1) != 6 || pid <= 0 || pid > 0x3fffffff)
    return 0;
  return static_cast<pid_t>(pid);
}

bool ProcessIsGone(pid_t pid) { return kill(pid, 0) != 0 && errno == ESRCH; }

DWORD RemoveStaleIn(const std::string& parent, const std::string& prefix) {
  DIR* folder = opendir(parent.c_str());
  if (folder == nullptr) return 0;
  DWORD removed = 0;
  while (const dirent* entry = readdir(folder)) {
    const pid_t pid = OwnerPid(entry->d_name, prefix);
    if (pid == 0 || pid == getpid()) continue;
    struct stat status;
    if (fstatat(dirfd(folder), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISDIR(status.st_mode) || !IsOwnAndClosed(status) || !ProcessIsGone(pid)) continue;
    if (PlatformRemoveFolderTree((parent + "/" + entry->d_name).c_str())) ++removed;
  }
  closedir(folder);
  return removed;
}

}  // namespace

DWORD PlatformCreatePrivateFolder(const char* parent, const char* prefix, char* buffer, DWORD size) {
  if (prefix == nullptr || prefix[0] == '\0' || std::strchr(prefix, '/') != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string path;
  bool fit = false;
  for (const std::string& candidate : CandidateParents(parent)) {
    if (!CanHoldPrivateFolders(candidate.c_str())) continue;
    fit = true;
    if (MakeFolderIn(candidate, prefix, path)) break;
  }
  if (path.empty()) {
    SetLastError(fit ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
    return 0;
  }
  if (buffer == nullptr || path.size() >= size) {
    rmdir(path.c_str());
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}

DWORD PlatformRemoveStalePrivateFolders(const char* parent, const char* prefix) {
  if (prefix == nullptr || prefix[0] == '\0' || std::strchr(prefix, '/') != nullptr) return 0;
  DWORD removed = 0;
  for (const std::string& candidate : CandidateParents(parent))
    if (CanHoldPrivateFolders(candidate.c_str())) removed += RemoveStaleIn(WithoutTrailingSlashes(candidate), prefix);
  return removed;
}

BOOL PlatformRemoveFolderTree(const char* folder) {
  if (folder == nullptr || folder[0] == '\0') return FALSE;
  std::error_code error;
  std::filesystem::remove_all(folder, error);
  return error ? FALSE : TRUE;
}

int PlatformOpenPrivateFolder(const char* folder) {
  if (folder == nullptr || folder[0] == '\0') return -1;
  const int descriptor = open(folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (descriptor < 0) return -1;
  struct stat status;
  if (fstat(descriptor, &status) != 0 || !IsOwnAndClosed(status)) {
    close(descriptor);
    return -1;
  }
  return descriptor;
}

int PlatformCreateFileIn(int folder, const char* name) {
  if (folder < 0 || name == nullptr || name[0] == '\0' || std::strchr(name, '/') != nullptr) return -1;
  unlinkat(folder, name, 0);
  return openat(folder, name, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

BOOL PlatformRemoveFileIn(int folder, const char* name) {
  if (folder < 0 || name == nullptr || std::strchr(name, '/') != nullptr) return FALSE;
  return unlinkat(folder, name, 0) == 0 || errno == ENOENT ? TRUE : FALSE;
}

int PlatformOpenRegularFile(const char* path) {
  if (path == nullptr) return -1;
  const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat status;
  if (descriptor >= 0 && (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))) {
    close(descriptor);
    return -1;
  }
  return descriptor;
}

BOOL PlatformFreeBytesInFolder(const char* folder, uint64_t* bytes) {
  struct statvfs status;
  if (folder == nullptr || bytes == nullptr || statvfs(folder, &status) != 0) return FALSE;
  *bytes = static_cast<uint64_t>(status.f_bavail) * status.f_frsize;
  return TRUE;
}

void PlatformCloseDescriptor(int descriptor) {
  if (descriptor >= 0) close(descriptor);
}
