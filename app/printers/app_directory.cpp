#include "printers/app_directory.h"

#include <filesystem>

#include "platform/module.h"
#include "platform/types.h"
#include "resource_library.h"
#include "printers/model_profile.h"

namespace {

std::string app_directory;       // empty until InitAppDirectory
std::string app_data_directory;  // likewise

bool IsFile(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

}  // namespace

const char* AppDirectory() { return app_directory.c_str(); }

const char* AppDataDirectory() { return app_data_directory.c_str(); }

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
  // The model profiles mark the data folder: every data file ships with
  // them. Installed, the data folder's place relative to the binaries
  // folder is the build's, so an installation can be moved as a whole.
  app_data_directory = IsFile(AppFilePath(kModelProfileFileName))
                           ? app_directory
                           : app_directory + "/" GLY_DATA_FROM_PROGRAM;
  return true;
}

std::string PrivateLibraryPath(const std::string& fileName) {
  const std::string program = DirectoryOfProgram(ProgramFilePath());
  const std::string directory = program.empty() ? std::string(".") : program;
  const std::string beside = directory + "/" + fileName;
  if (IsFile(beside)) return beside;
  return directory + "/" GLY_LIBRARIES_FROM_PROGRAM "/" + fileName;
}

std::string DefaultResourceLibraryPath() { return PrivateLibraryPath(GLY_RESOURCE_LIBRARY_FILE); }

std::string DirectoryOfProgram(const std::string& programPath) {
  size_t separator = programPath.find_last_of("/\\");
  if (separator == std::string::npos) return {};
  return programPath.substr(0, separator);
}

std::string AppFilePath(const char* fileName) { return app_directory + '/' + fileName; }

std::string AppDataFilePath(const char* fileName) { return app_data_directory + '/' + fileName; }
