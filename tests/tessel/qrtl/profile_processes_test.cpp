#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "runtime_fixture.h"
#include "tessel/qrtl.h"

extern char** environ;

namespace {

using ProfileProcesses = RuntimeTest;

pid_t SpawnWriter(int input, const char* prefix, const char* count) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
  char* const argv[] = {const_cast<char*>(TESSEL_PROFILE_WRITER), const_cast<char*>(prefix),
                        const_cast<char*>(count), nullptr};
  pid_t pid = -1;
  const int error = posix_spawn(&pid, TESSEL_PROFILE_WRITER, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

int ExitCode(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST_F(ProfileProcesses, TwoWritersAtOnceLoseNoEntry) {
  constexpr int kEach = 300;
  int start[2];
  // Close-on-exec, so that no child keeps the other's start signal open.
  ASSERT_EQ(pipe2(start, O_CLOEXEC), 0);
  const pid_t first = SpawnWriter(start[0], "a", "300");
  const pid_t second = SpawnWriter(start[0], "b", "300");
  close(start[0]);
  close(start[1]);  // both children begin now
  ASSERT_GT(first, 0);
  ASSERT_GT(second, 0);
  EXPECT_EQ(ExitCode(first), 0);
  EXPECT_EQ(ExitCode(second), 0);

  EXPECT_EQ(QRTLCountEntriesInSection("Shared", 3), 2 * kEach);
  for (const char* prefix : {"a", "b"}) {
    for (int i = 0; i < kEach; ++i) {
      const std::string name = prefix + std::to_string(i);
      char value[16] = "";
      EXPECT_EQ(QRTLGetProfileEntry("Shared", name.c_str(), "", value, sizeof value, 3), 0);
      EXPECT_EQ(value, name);
    }
  }
}

}  // namespace
