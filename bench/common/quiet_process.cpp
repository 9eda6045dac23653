#include "quiet_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace {

std::vector<char*> Pointers(std::vector<std::string>& words) {
  std::vector<char*> pointers;
  for (std::string& word : words) pointers.push_back(word.data());
  pointers.push_back(nullptr);
  return pointers;
}

double Seconds(const timeval& time) { return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6; }

}  // namespace

QuietRun RunQuietly(std::vector<std::string> arguments, const std::vector<std::string>* environment) {
  std::vector<char*> argv = Pointers(arguments);
  std::vector<std::string> ownEnvironment = environment ? *environment : std::vector<std::string>{};
  std::vector<char*> envp = Pointers(ownEnvironment);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  QuietRun run;
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  int status = 0;
  rusage used{};
  if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environment ? envp.data() : environ) == 0 &&
      wait4(child, &status, 0, &used) == child && WIFEXITED(status)) {
    run.status = WEXITSTATUS(status);
  }
  run.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  run.cpuSeconds = Seconds(used.ru_utime) + Seconds(used.ru_stime);
  run.peakMiB = static_cast<double>(used.ru_maxrss) / 1024;
  posix_spawn_file_actions_destroy(&actions);
  return run;
}
