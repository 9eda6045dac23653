#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <fstream>
#include <string>

#include "platform/profile.h"
#include "temp_dir.h"

namespace {

// A model table the way the program's own file is laid out, with the
// format's oddities mixed in.
constexpr const char* kModels =
    "; printer models\n"
    "orphan=before any section\n"
    "[NumberOfPrinters]\r\n"
    "number=2\r\n"
    "[Skipped]\n"
    "[ Alpha 100 ]\n"
    "  SystemID  =  ALPHA-100  \n"
    "StorageIndex=\"1 1\"\n"
    ";SNMPLevel=9\n"
    "SNMPLevel=2\n"
    "Empty=\n"
    "[Beta]\n"
    "SystemID='BETA'\n"
    "Negative= -12abc\n";

class ProfileTest : public ::testing::Test {
 protected:
  ProfileTest() : windows_(PLATFORM_WINDOWS_DIR_ENV, dir_.path()) {
    std::ofstream(dir_.file("Models.ini")) << kModels;
  }

  // The bytes GetPrivateProfileStringA returned, NULs included.
  std::string read(const char* section, const char* key, DWORD size,
                   const char* fallback = "Not found") {
    buffer_.assign(size + 8, '#');
    DWORD length = GetPrivateProfileStringA(section, key, fallback, buffer_.data(), size,
                                            "models.INI");
    return buffer_.substr(0, length);
  }

  TempDir dir_;
  EnvOverride windows_;
  std::string buffer_;
};

TEST_F(ProfileTest, ValuesMatchWithoutCaseTrimmedAndUnquoted) {
  EXPECT_EQ(read("alpha 100", "systemid", 40), "ALPHA-100");
  EXPECT_EQ(read("ALPHA 100", "StorageIndex", 40), "1 1");
  EXPECT_EQ(read("Alpha 100", "SNMPLevel", 40), "2");  // the commented line does not count
  EXPECT_EQ(read("Alpha 100", "Empty", 40), "");
  EXPECT_EQ(read("beta", "SystemID", 40), "BETA");
  EXPECT_EQ(GetPrivateProfileIntA("NumberOfPrinters", "NUMBER", 7, "Models.ini"), 2u);
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("Beta", "Negative", 7, "Models.ini")), -12);
  EXPECT_EQ(GetPrivateProfileIntA("Beta", "SystemID", 7, "Models.ini"), 0u);
}

TEST_F(ProfileTest, ValueIsCutToTheBuffer) {
  EXPECT_EQ(read("Alpha 100", "SystemID", 10), "ALPHA-100");
  EXPECT_EQ(read("Alpha 100", "SystemID", 9), "ALPHA-10");
  EXPECT_EQ(buffer_[8], '\0');
  EXPECT_EQ(read("Alpha 100", "SystemID", 1), "");
  EXPECT_EQ(buffer_[0], '\0');
  EXPECT_EQ(read("Alpha 100", "Missing", 5), "Not ");  // the default is cut the same way
  EXPECT_EQ(GetPrivateProfileStringA("Beta", "SystemID", "", nullptr, 10, "Models.ini"), 0u);
  char untouched = '#';
  EXPECT_EQ(GetPrivateProfileStringA("Beta", "SystemID", "", &untouched, 0, "Models.ini"), 0u);
  EXPECT_EQ(untouched, '#');
}

TEST_F(ProfileTest, SectionNamesComeInFileOrderAndAreCutAsWindowsDoes) {
  const std::string all("NumberOfPrinters\0Skipped\0Alpha 100\0Beta\0", 40);
  EXPECT_EQ(read(nullptr, nullptr, 100), all);
  EXPECT_EQ(buffer_[all.size()], '\0');  // the list's second NUL
  EXPECT_EQ(read(nullptr, "ignored", 41), all);

  // One byte short: the last name is cut to make room for both NULs.
  EXPECT_EQ(read(nullptr, nullptr, 40),
            std::string("NumberOfPrinters\0Skipped\0Alpha 100\0Bet", 38));
  EXPECT_EQ(buffer_.substr(38, 2), std::string("\0\0", 2));
  EXPECT_EQ(read(nullptr, nullptr, 20), std::string("NumberOfPrinters\0S", 18));
  EXPECT_EQ(read(nullptr, nullptr, 2), "");
  EXPECT_EQ(buffer_.substr(0, 2), std::string("\0\0", 2));
}

TEST_F(ProfileTest, KeysOfASectionAreListedLikeSectionNames) {
  const std::string keys("SystemID\0StorageIndex\0SNMPLevel\0Empty\0", 38);
  EXPECT_EQ(read("ALPHA 100", nullptr, 100), keys);
  EXPECT_EQ(read("ALPHA 100", nullptr, 12), std::string("SystemID\0St", 10));
  EXPECT_EQ(read("Skipped", nullptr, 10), "");
  EXPECT_EQ(read("Nowhere", nullptr, 20), "Not found");
}

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesTheDefault) {
  char value[16];
  EXPECT_EQ(GetPrivateProfileStringA("Beta", "SystemID", "dflt  ", value, 16, "none.ini"), 4u);
  EXPECT_STREQ(value, "dflt");  // trailing blanks of the default go
  EXPECT_EQ(GetPrivateProfileStringA("Gamma", "SystemID", nullptr, value, 16, "Models.ini"), 0u);
  EXPECT_STREQ(value, "");
  EXPECT_EQ(read("Beta", "StorageIndex", 16), "Not found");
  EXPECT_EQ(read("Beta", "orphan", 16), "Not found");  // lines above every section belong nowhere
  EXPECT_EQ(GetPrivateProfileIntA("Beta", "Missing", 7, "Models.ini"), 7u);
  EXPECT_EQ(GetPrivateProfileIntA("Beta", "SystemID", 7, "none.ini"), 7u);
}

TEST_F(ProfileTest, PathsAreUsedAsGivenAndBareNamesInTheWindowsDirectory) {
  TempDir elsewhere;
  std::ofstream(elsewhere.file("Models.ini")) << "[Beta]\nSystemID=ELSEWHERE\n";
  char value[16];
  GetPrivateProfileStringA("Beta", "SystemID", "", value, 16, elsewhere.file("Models.ini").c_str());
  EXPECT_STREQ(value, "ELSEWHERE");

  EnvOverride moved(PLATFORM_WINDOWS_DIR_ENV, elsewhere.path() + "/");
  GetPrivateProfileStringA("Beta", "SystemID", "", value, 16, "Models.ini");
  EXPECT_STREQ(value, "ELSEWHERE");

  char directory[MAX_PATH];
  EXPECT_EQ(GetWindowsDirectoryA(directory, MAX_PATH), elsewhere.path().size());
  EXPECT_EQ(directory, elsewhere.path());
  EXPECT_EQ(GetWindowsDirectoryA(directory, 3), elsewhere.path().size() + 1);
}

// A file is parsed once and kept while it stays as it was; a program that
// rewrites it sees its change at the next call, even at the same size.
TEST_F(ProfileTest, ARewrittenFileIsReadAgain) {
  const std::string path = dir_.file("Models.ini");
  const timespec an_hour_ago[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), an_hour_ago, 0), 0);
  EXPECT_EQ(read("Beta", "SystemID", 16), "BETA");
  EXPECT_EQ(read("Beta", "SystemID", 16), "BETA");

  std::fstream file(path, std::ios::in | std::ios::out);
  file.seekp(std::string(kModels).find("BETA"));
  file << "BETB";
  file.close();
  EXPECT_EQ(read("Beta", "SystemID", 16), "BETB");
}

}  // namespace

// The environment names the Windows directory first, then the program, and
// without either it is the user's configuration folder: nothing of any one
// program is built into the platform.
TEST(WindowsDirectory, EnvironmentThenProgramThenUserConfiguration) {
  TempDir config, program, administrator;
  EnvOverride xdg("XDG_CONFIG_HOME", config.path());
  EnvOverride unset(PLATFORM_WINDOWS_DIR_ENV, "");
  char directory[MAX_PATH];

  GetWindowsDirectoryA(directory, MAX_PATH);
  EXPECT_EQ(directory, config.path() + "/gly");

  PlatformSetWindowsDirectory(program.path().c_str());
  GetWindowsDirectoryA(directory, MAX_PATH);
  EXPECT_EQ(directory, program.path());
  {
    EnvOverride named(PLATFORM_WINDOWS_DIR_ENV, administrator.path());
    GetWindowsDirectoryA(directory, MAX_PATH);
    EXPECT_EQ(directory, administrator.path());
  }
  PlatformSetWindowsDirectory(nullptr);
  GetWindowsDirectoryA(directory, MAX_PATH);
  EXPECT_EQ(directory, config.path() + "/gly");
}
