#include "shell/app_directory.h"

#include <cstring>

#include "platform/module.h"
#include "platform/types.h"

namespace {
char app_directory[MAX_PATH];  // zero-filled until InitAppDirectory
}  // namespace

const char* AppDirectory() { return app_directory; }

bool InitAppDirectory() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  // A result that fills the buffer was cut, and a cut path names the wrong
  // directory: better none at all.
  if (length == 0 || length >= sizeof path) return false;
  std::string directory = DirectoryOfProgram(std::string(path, length));
  std::memcpy(app_directory, directory.c_str(), directory.size() + 1);
  return true;
}

std::string DirectoryOfProgram(const std::string& programPath) {
  size_t separator = programPath.find_last_of("/\\");
  if (separator == std::string::npos) return {};
  return programPath.substr(0, separator);
}

std::string AppFilePath(const char* fileName) {
  return std::string(app_directory) + '/' + fileName;
}
