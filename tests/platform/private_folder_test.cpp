#include "platform/private_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/error.h"
#include "temp_dir.h"

namespace fs = std::filesystem;

namespace {

class PrivateFolderTest : public ::testing::Test {
 protected:
  PrivateFolderTest() : runtimeEnv_("XDG_RUNTIME_DIR", runtime_), tmpEnv_("TMPDIR", tmp_.path()) {
    fs::create_directory(runtime_);
    fs::permissions(runtime_, fs::perms::owner_all);
  }

  std::string Make(const char* prefix = "jobs-") {
    char buffer[512];
    const DWORD length = PlatformCreatePrivateFolder(nullptr, prefix, buffer, sizeof buffer);
    return length == 0 ? std::string() : std::string(buffer, length);
  }

  static bool IsPrivateFolder(const std::string& path) {
    struct stat status;
    return lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && (status.st_mode & 0777) == 0700;
  }

  TempDir scratch_;
  TempDir tmp_;
  std::string runtime_ = scratch_.file("runtime");
  EnvOverride runtimeEnv_;
  EnvOverride tmpEnv_;
};

TEST_F(PrivateFolderTest, IsAFreshFolderOfItsOwnInTheRuntimeFolder) {
  const std::string first = Make("gly-jobs-");
  const std::string second = Make("gly-jobs-");
  ASSERT_FALSE(first.empty());
  EXPECT_NE(first, second);
  for (const std::string& folder : {first, second}) {
    EXPECT_EQ(fs::path(folder).parent_path(), fs::path(runtime_));
    EXPECT_EQ(fs::path(folder).filename().string().rfind("gly-jobs-", 0), 0u);
    EXPECT_TRUE(IsPrivateFolder(folder)) << folder;
    EXPECT_TRUE(fs::is_empty(folder));
  }
}

TEST_F(PrivateFolderTest, PassesOverARuntimeFolderThatIsNotPrivate) {
  // A symbolic link to a private folder, a folder others may enter, a
  // relative path and a missing folder: the temporary folder serves.
  const std::string target = scratch_.file("target");
  fs::create_directory(target);
  fs::permissions(target, fs::perms::owner_all);
  const std::string link = scratch_.file("link");
  fs::create_directory_symlink(target, link);
  const std::string open = scratch_.file("open");
  fs::create_directory(open);
  fs::permissions(open, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);

  for (const std::string& runtime : {link, open, std::string("relative"), scratch_.file("missing")}) {
    EnvOverride env("XDG_RUNTIME_DIR", runtime);
    const std::string folder = Make();
    EXPECT_EQ(fs::path(folder).parent_path(), fs::path(tmp_.path())) << runtime;
    EXPECT_TRUE(IsPrivateFolder(folder));
  }
  EXPECT_TRUE(fs::is_empty(target));
}

// A temporary folder another user owns, or one anybody may write without
// the sticky bit, would let its owner swap what is made there: such folders
// are passed over, and a parent named outright is refused.
TEST_F(PrivateFolderTest, NeverMakesItsFolderWhereOthersCouldReplaceIt) {
  EnvOverride noRuntime("XDG_RUNTIME_DIR", "");
  const std::string foreign = scratch_.file("foreign");
  fs::create_directory(foreign);
  ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
  const std::string open = scratch_.file("open");
  fs::create_directory(open);
  fs::permissions(open, fs::perms::all);
  for (const std::string& temporary : {foreign, open}) {
    EnvOverride env("TMPDIR", temporary);
    const std::string folder = Make();
    EXPECT_EQ(fs::path(folder).parent_path(), fs::path("/tmp")) << temporary;
    fs::remove(folder);
    char buffer[512];
    EXPECT_EQ(PlatformCreatePrivateFolder(temporary.c_str(), "jobs-", buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(fs::is_empty(temporary));
  }
}

// A folder tells whose it is by its name: the user's own ones whose process
// has ended go, every other one stays.
TEST_F(PrivateFolderTest, RemovesOnlyTheUsersOwnFoldersOfEndedProcesses) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(0);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  const std::string ended = std::to_string(child);
  const std::string stale = runtime_ + "/gly-jobs-" + ended + "-abcdef";
  const std::string foreign = runtime_ + "/gly-jobs-" + ended + "-foreig";
  const std::string link = runtime_ + "/gly-jobs-" + ended + "-linked";
  const std::string running = runtime_ + "/gly-jobs-1-abcdef";
  const std::string other = runtime_ + "/gly-jobs-" + ended + "-toolong";
  for (const std::string& folder : {stale, foreign, running, other}) fs::create_directory(folder);
  for (const std::string& folder : {stale, foreign, running, other}) fs::permissions(folder, fs::perms::owner_all);
  std::ofstream(stale + "/tmpPrintFile.tmp") << "font data";
  ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
  fs::create_directory_symlink(scratch_.path(), link);
  const std::string mine = Make("gly-jobs-");

  EXPECT_EQ(PlatformRemoveStalePrivateFolders(nullptr, "gly-jobs-"), 1u);
  EXPECT_FALSE(fs::exists(stale));
  for (const std::string& kept : {foreign, link, running, other, mine})
    EXPECT_TRUE(fs::exists(fs::symlink_status(kept))) << kept;
  EXPECT_TRUE(fs::exists(scratch_.file("runtime")));
}

TEST_F(PrivateFolderTest, RefusesBadPrefixesAndLeavesNothingWhenThePathDoesNotFit) {
  char buffer[512];
  for (const char* prefix : {"", "a/b", static_cast<const char*>(nullptr)}) {
    EXPECT_EQ(PlatformCreatePrivateFolder(nullptr, prefix, buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  char small[8];
  EXPECT_EQ(PlatformCreatePrivateFolder(nullptr, "jobs-", small, sizeof small), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_TRUE(fs::is_empty(runtime_));
}

TEST_F(PrivateFolderTest, RemovingATreeRemovesLinksWithoutFollowingThem) {
  const std::string folder = Make();
  ASSERT_FALSE(folder.empty());
  const std::string outside = scratch_.file("outside.txt");
  std::ofstream(outside) << "keep";
  fs::create_directory(folder + "/sub");
  std::ofstream(folder + "/sub/job.tmp") << "job";
  fs::create_symlink(outside, folder + "/link");
  fs::create_directory_symlink(scratch_.path(), folder + "/dirlink");

  EXPECT_TRUE(PlatformRemoveFolderTree(folder.c_str()));
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder)));
  EXPECT_TRUE(fs::exists(outside));
  EXPECT_TRUE(PlatformRemoveFolderTree(folder.c_str()));  // already gone
}

}  // namespace
