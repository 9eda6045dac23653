#include "shell/app_directory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

TEST(AppDirectory, IsTheProgramPathWithoutItsLastPart) {
  EXPECT_EQ(DirectoryOfProgram("C:\\Apps\\Tool\\prog.exe"), "C:\\Apps\\Tool");
  EXPECT_EQ(DirectoryOfProgram("C:\\prog.exe"), "C:");
  EXPECT_EQ(DirectoryOfProgram("/opt/gly/bin/gly"), "/opt/gly/bin");
  EXPECT_EQ(DirectoryOfProgram("/gly"), "");
  EXPECT_EQ(DirectoryOfProgram("gly"), "");
}

TEST(AppDirectory, IsTheDirectoryOfTheRunningProgram) {
  ASSERT_TRUE(InitAppDirectory());
  std::filesystem::path expected =
      std::filesystem::canonical("/proc/self/exe").parent_path();
  EXPECT_EQ(std::filesystem::path(AppDirectory()), expected);
  EXPECT_EQ(AppFilePath("FontList.ps"), expected.string() + "/FontList.ps");
}

}  // namespace
