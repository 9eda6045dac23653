// The export file in a folder other users can write to, as /tmp: what
// another user planted there is neither followed nor removed.
#include "download/export_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "job_test_support.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr uid_t kOtherUser = 65534;

class SharedFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(mkdir(shared.c_str(), 0777), 0);
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  }
  TempDir scratch;
  const std::string shared = scratch.file("shared");
};

TEST_F(SharedFolderTest, AnotherUsersLinkIsRefusedAndTheFileItNamesKept) {
  if (geteuid() != 0) GTEST_SKIP() << "making a link of another user takes root";
  const std::string victim = scratch.file("victim");
  WriteBytes(victim, "the user's own file");
  const std::string link = shared + "/out.prn";
  ASSERT_EQ(symlink(victim.c_str(), link.c_str()), 0);
  ASSERT_EQ(lchown(link.c_str(), kOtherUser, kOtherUser), 0);
  {
    ExportFile output;
    EXPECT_EQ(output.Open(link, {}), ExportFile::Opened::kForeignLink);
  }
  EXPECT_EQ(ReadBytes(victim), "the user's own file");

  // The user's own link, or one in a folder closed to others, is followed.
  const std::string closed = scratch.file("closed.prn");
  ASSERT_EQ(symlink(victim.c_str(), closed.c_str()), 0);
  ASSERT_EQ(lchown(closed.c_str(), kOtherUser, kOtherUser), 0);
  ASSERT_EQ(lchown(link.c_str(), geteuid(), getegid()), 0);
  for (const std::string& followed : {link, closed}) {
    ExportFile output;
    EXPECT_EQ(output.Open(followed, {}), ExportFile::Opened::kOpen) << followed;
  }
}

TEST_F(SharedFolderTest, TheNextExportRemovesOnlyTheLeftoversOfThisUsersEndedRuns) {
  const pid_t ended = fork();
  if (ended == 0) _exit(0);
  waitpid(ended, nullptr, 0);
  const std::string endedRun = shared + "/.out.prn." + std::to_string(ended) + "-4711.part";
  const std::string running = shared + "/.out.prn." + std::to_string(getppid()) + "-4711.part";
  const std::string notOurs = shared + "/.out.prn." + std::to_string(ended) + "-4712.part";
  const std::string otherName = shared + "/.out.prn." + std::to_string(ended) + ".part";
  for (const std::string& path : {endedRun, running, notOurs, otherName}) WriteBytes(path, "half an export");
  if (geteuid() == 0) {
    ASSERT_EQ(chown(notOurs.c_str(), kOtherUser, kOtherUser), 0);
  }

  ExportFile output;
  ASSERT_EQ(output.Open(shared + "/new.prn", {}), ExportFile::Opened::kOpen);
  EXPECT_FALSE(fs::exists(endedRun));
  EXPECT_TRUE(fs::exists(running));
  EXPECT_EQ(fs::exists(notOurs), geteuid() == 0);
  EXPECT_TRUE(fs::exists(otherName));
}

}  // namespace
