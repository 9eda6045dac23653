#include "printers/app_directory.h"

#include "resource_library.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

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

// Runs the probe program from a copy at `program` and returns what it
// printed.
std::string RunProbeAt(const std::filesystem::path& program) {
  namespace fs = std::filesystem;
  const fs::path built = fs::canonical("/proc/self/exe").parent_path() / "app_directory_probe";
  fs::create_directories(program.parent_path());
  fs::copy_file(built, program);
  std::string output;
  if (FILE* probe = popen(("'" + program.string() + "'").c_str(), "r")) {
    char chunk[512];
    while (size_t got = std::fread(chunk, 1, sizeof chunk, probe)) output.append(chunk, got);
    pclose(probe);
  }
  return output;
}

TEST(AppDirectory, HasNoLengthLimitBeyondTheSystemsOwn) {
  namespace fs = std::filesystem;
  std::string pattern = (fs::path(::testing::TempDir()) / "gly-appdir-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const fs::path scratch = pattern;
  // Well past 260 bytes, in folders of ordinary length.
  fs::path deep = scratch;
  for (int i = 0; deep.string().size() <= 400; ++i) deep /= "folder-of-the-program-" + std::to_string(i);
  // The resource library beside the program is the one taken.
  fs::create_directories(deep);
  std::ofstream(deep / GLY_RESOURCE_LIBRARY_FILE) << "";
  const std::string printed = RunProbeAt(deep / "probe");
  EXPECT_EQ(printed, deep.string() + "\n" + deep.string() + "/" GLY_RESOURCE_LIBRARY_FILE "\n");
  fs::remove_all(scratch);
}

}  // namespace
