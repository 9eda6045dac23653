#include "shell/gly_app.h"

#include <sys/socket.h>
#include <unistd.h>

#include "platform/profile.h"
#include "printers/app_directory.h"
#include "printers/model_profile.h"
#include "ui/resource_module.h"

namespace {

// The end of a run: the resource library goes whichever way the run went.
struct ResourceLibraryRelease {
  ~ResourceLibraryRelease() { FreeResourceModule(); }
};

}  // namespace

// Without the program's path the directories stay empty, and the data file
// paths built on them then start at the root directory. The model profiles
// are read by bare name from the platform's Windows directory, which for
// this program is its data folder.
void StartAppDirectories() {
  InitAppDirectory();
  PlatformSetWindowsDirectory(AppDataDirectory());
}

int RunGlyApp(GlyAppHost& host, const std::string& resourceLibraryPath) {
  ResourceLibraryRelease release;
  if (!host.InitSockets()) {
    host.ShowStartupMessage(kSocketsFailedText);
    return 1;
  }
  if (!LoadResourceModule(resourceLibraryPath.c_str())) {
    host.ShowStartupMessage(kResourceNotFoundText);
    return 1;
  }
  StartAppDirectories();
  host.RunMainWindow();
  return 0;
}

int CheckGlySetup(std::ostream& out, const std::string& resourceLibraryPath) {
  ResourceLibraryRelease release;
  const bool resources = LoadResourceModule(resourceLibraryPath.c_str());
  StartAppDirectories();
  ModelProfileTable models;
  const int modelCount = LoadModelProfiles(models);
  out << "program folder: " << AppDirectory() << "\n"
      << "resource library: " << resourceLibraryPath << (resources ? "" : " (cannot be loaded)") << "\n"
      << "data folder: " << AppDataDirectory() << "\n"
      << "printer models: " << modelCount << "\n";
  return resources && modelCount > 0 ? 0 : 1;
}

bool SocketLayerAvailable() {
  const int probe = socket(AF_INET, SOCK_STREAM, 0);
  if (probe < 0) return false;
  close(probe);
  return true;
}
