#include "platform/version.h"

#include <mutex>

#include "platform/error.h"

namespace {

constexpr OSVERSIONINFOA kOwnVersion = {sizeof(OSVERSIONINFOA), 4, 0, 1381,
                                        VER_PLATFORM_WIN32_NT,  ""};

std::mutex versionLock;
OSVERSIONINFOA reported = kOwnVersion;

}  // namespace

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> guard(versionLock);
  *info = reported;
  return TRUE;
}

void PlatformReplaceVersion(const OSVERSIONINFOA* info) {
  std::lock_guard<std::mutex> guard(versionLock);
  reported = info ? *info : kOwnVersion;
  reported.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
}
