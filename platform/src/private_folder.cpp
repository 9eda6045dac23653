#include "platform/private_folder.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/error.h"

namespace {

// The runtime folder is only used when it is what it should be: a real
// directory of this user that others cannot enter. Anything else (unset, a
// relative path, a symbolic link, a folder open to others) is passed over.
bool IsPrivateRuntimeFolder(const char* path) {
  if (path == nullptr || path[0] != '/') return false;
  struct stat status;
  if (lstat(path, &status) != 0) return false;
  return S_ISDIR(status.st_mode) && status.st_uid == geteuid() && (status.st_mode & 077) == 0;
}

// mkdtemp makes the folder with mode 0700 and fails rather than reuse a
// name that exists, whatever it is.
bool MakeFolderIn(std::string base, const char* prefix, std::string& path) {
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  std::string pattern = base + "/" + prefix + "XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return false;
  path = pattern;
  return true;
}

bool MakePrivateFolder(const char* prefix, std::string& path) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (IsPrivateRuntimeFolder(runtime) && MakeFolderIn(runtime, prefix, path)) return true;
  const char* temporary = std::getenv("TMPDIR");
  if (temporary != nullptr && temporary[0] == '/' && MakeFolderIn(temporary, prefix, path)) return true;
  return MakeFolderIn("/tmp", prefix, path);
}

}  // namespace

DWORD PlatformCreatePrivateFolder(const char* parent, const char* prefix, char* buffer, DWORD size) {
  if (prefix == nullptr || prefix[0] == '\0' || std::strchr(prefix, '/') != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string path;
  if (parent != nullptr ? !MakeFolderIn(parent, prefix, path) : !MakePrivateFolder(prefix, path)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
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

BOOL PlatformRemoveFolderTree(const char* folder) {
  if (folder == nullptr || folder[0] == '\0') return FALSE;
  std::error_code error;
  std::filesystem::remove_all(folder, error);
  return error ? FALSE : TRUE;
}
