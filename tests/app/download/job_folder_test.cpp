#include "download/job_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "job_test_support.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(JobFolder, IsPrivateToItsOwnerAndGoesWithItsFiles) {
  TempDir runtime;
  fs::permissions(runtime.path(), fs::perms::owner_all);
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
    const OpenJobFolder open(first.path());
    ASSERT_TRUE(open.CreateFile("tmpPrintFile.tmp"));
    EXPECT_EQ(FilesIn(first.path()), std::vector<std::string>{"tmpPrintFile.tmp"});
    kept = first.path();
  }
  EXPECT_FALSE(fs::exists(kept));
  EXPECT_TRUE(fs::is_empty(runtime.path()));
}

TEST(JobFolder, GoesWhereItsOwnerSays) {
  TempDir parent;
  std::string kept;
  {
    const JobFolder folder(parent.path());
    ASSERT_EQ(fs::path(folder.path()).parent_path(), fs::path(parent.path()));
    kept = folder.path();
  }
  EXPECT_FALSE(fs::exists(kept));
  EXPECT_TRUE(JobFolder(parent.file("missing")).path().empty());
}

// What a job file holds is what was written through it: a link planted
// under its name beforehand is replaced, not followed, and a file put in
// its place afterwards is neither written nor read.
TEST(JobFolder, JobFilesAreTheFilesItMadeWhateverTheirNamesComeToMean) {
  TempDir scratch;
  const JobFolder folder(scratch.path());
  const OpenJobFolder open(folder.path());
  const std::string secret = scratch.file("secret");
  WriteBytes(secret, "private data");
  const std::string name = folder.path() + "/tmpPrintFile.tmp";
  fs::create_symlink(secret, name);

  const std::shared_ptr<JobFile> job = open.CreateFile("tmpPrintFile.tmp");
  ASSERT_TRUE(job);
  EXPECT_FALSE(fs::is_symlink(name));
  ASSERT_EQ(write(job->descriptor(), "job", 3), 3);
  fs::remove(name);
  fs::create_symlink(secret, name);
  char bytes[32] = {};
  EXPECT_EQ(pread(job->descriptor(), bytes, sizeof bytes, 0), 3);
  EXPECT_STREQ(bytes, "job");
  EXPECT_EQ(ReadBytes(secret), "private data");

  // A folder others may enter is not opened at all.
  fs::permissions(folder.path(), fs::perms::others_exec, fs::perm_options::add);
  EXPECT_FALSE(OpenJobFolder(folder.path()).isOpen());
  EXPECT_EQ(OpenJobFolder(folder.path()).CreateFile("x"), nullptr);
}

}  // namespace
