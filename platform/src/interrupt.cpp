#include "platform/interrupt.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/private_folder.h"

namespace {

std::mutex registry_lock;
std::vector<std::string>& Registered() {
  static std::vector<std::string> paths;
  return paths;
}

constexpr int kInterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t InterruptSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int signal : kInterruptSignals) sigaddset(&signals, signal);
  return signals;
}

[[noreturn]] void WaitForInterrupt(sigset_t signals) {
  int signal = 0;
  while (sigwait(&signals, &signal) != 0) {
  }
  {
    const std::lock_guard hold(registry_lock);
    // A worker may still be making a file in a folder being removed: the
    // removal is tried again then.
    for (const std::string& path : Registered())
      for (int attempt = 0; attempt < 5 && !PlatformRemoveFolderTree(path.c_str()); ++attempt) {
      }
  }
  _exit(128 + signal);
}

void EndWithSignalStatus(int signal) { _exit(128 + signal); }

}  // namespace

BOOL PlatformStartInterruptCleanup(void) {
  const sigset_t signals = InterruptSignals();
  if (pthread_sigmask(SIG_BLOCK, &signals, nullptr) != 0) return FALSE;
  try {
    std::thread(WaitForInterrupt, signals).detach();
  } catch (...) {
    pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
    return FALSE;
  }
  return TRUE;
}

void PlatformEndOnInterrupt(void) {
  struct sigaction action {};
  action.sa_handler = EndWithSignalStatus;
  sigemptyset(&action.sa_mask);
  for (int signal : kInterruptSignals) sigaction(signal, &action, nullptr);
}

void PlatformRemoveOnInterrupt(const char* path) {
  if (path == nullptr || path[0] == '\0') return;
  const std::lock_guard hold(registry_lock);
  Registered().push_back(path);
}

void PlatformForgetOnInterrupt(const char* path) {
  if (path == nullptr) return;
  const std::lock_guard hold(registry_lock);
  std::vector<std::string>& paths = Registered();
  const auto found = std::find(paths.begin(), paths.end(), path);
  if (found != paths.end()) paths.erase(found);
}
