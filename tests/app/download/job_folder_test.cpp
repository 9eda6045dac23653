#include "download/job_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "job_test_support.h"
#include "temp_dir.h"

namespace {

TEST(JobFolder, IsPrivateToItsOwnerAndGoesWithItsFiles) {
  TempDir runtime;
  std::filesystem::permissions(runtime.path(), std::filesystem::perms::owner_all);
  EnvOverride env("XDG_RUNTIME_DIR", runtime.path());
  std::string kept;
  {
    const JobFolder first, second;
    // Two Resource Managers (or two workers) never share job files.
    ASSERT_FALSE(first.path().empty());
    EXPECT_NE(first.path(), second.path());
    struct stat status;
    ASSERT_EQ(lstat(first.path().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    WriteBytes(JobFilePath(first.path(), "tmpPrintFile.tmp"), "job");
    EXPECT_EQ(FilesIn(first.path()), std::vector<std::string>{"tmpPrintFile.tmp"});
    kept = first.path();
  }
  EXPECT_FALSE(std::filesystem::exists(kept));
  EXPECT_TRUE(std::filesystem::is_empty(runtime.path()));
}

TEST(JobFolder, GoesWhereItsOwnerSays) {
  TempDir parent;
  std::string kept;
  {
    const JobFolder folder(parent.path());
    ASSERT_EQ(std::filesystem::path(folder.path()).parent_path(), std::filesystem::path(parent.path()));
    kept = folder.path();
  }
  EXPECT_FALSE(std::filesystem::exists(kept));
  EXPECT_TRUE(JobFolder(parent.file("missing")).path().empty());
}

}  // namespace
