#include "shell/gly_app.h"

#include <sys/socket.h>
#include <unistd.h>

#include "shell/app_directory.h"
#include "ui/resource_module.h"

namespace {

// The end of a run: the resource library goes whichever way the run went.
struct ResourceLibraryRelease {
  ~ResourceLibraryRelease() { FreeResourceModule(); }
};

}  // namespace

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
  // Without the program's path the directory stays empty, and the data file
  // paths built on it then start at the root directory.
  InitAppDirectory();
  host.RunMainWindow();
  return 0;
}

bool SocketLayerAvailable() {
  const int probe = socket(AF_INET, SOCK_STREAM, 0);
  if (probe < 0) return false;
  close(probe);
  return true;
}
