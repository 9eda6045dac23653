#include "shell/app_directory.h"

#include "platform/module.h"
#include "platform/types.h"
#include "resource_library.h"

namespace {
std::string app_directory;  // empty until InitAppDirectory
}  // namespace

const char* AppDirectory() { return app_directory.c_str(); }

std::string ProgramFilePath() {
  // The platform cuts a path that does not fit and then returns the buffer's
  // size: grow until the whole path fits.
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

bool InitAppDirectory() {
  const std::string path = ProgramFilePath();
  if (path.empty()) return false;
  app_directory = DirectoryOfProgram(path);
  return true;
}

std::string DefaultResourceLibraryPath() {
  const std::string directory = DirectoryOfProgram(ProgramFilePath());
  return (directory.empty() ? std::string(".") : directory) + "/" + GLY_RESOURCE_LIBRARY_FILE;
}

std::string DirectoryOfProgram(const std::string& programPath) {
  size_t separator = programPath.find_last_of("/\\");
  if (separator == std::string::npos) return {};
  return programPath.substr(0, separator);
}

std::string AppFilePath(const char* fileName) { return app_directory + '/' + fileName; }
