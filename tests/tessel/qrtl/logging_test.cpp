#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <deque>
#include <filesystem>
#include <string>

#include "log_file.h"
#include "log_line.h"
#include "log_settings.h"
#include "runtime_fixture.h"
#include "tessel/qrtl.h"

namespace {

using tessel::qrtl::FormatLogLine;
using tessel::qrtl::LogTime;
using tessel_test::ReadFile;
using tessel_test::WriteTempFile;

constexpr LogTime kTime{1, 2, 2024, 3, 4, 5, 6};
// Time stamp, "QRTL", "Error", TAB-separated, around the text.
constexpr size_t kErrorLineOverhead = 24 + 5 + 6 + 2;

size_t CountLines(const std::string& content) {
  size_t lines = 0;
  for (char c : content) lines += c == '\n' ? 1 : 0;
  return lines;
}

TEST(LogLine, FormatAndTextConversion) {
  EXPECT_EQ(FormatLogLine(kTime, 6, 3, 3, "a\r\nb"),
            "01/02/2024 03:04:05.006\tQRTL\tWarning\ta \tb\r\n");
  EXPECT_EQ(FormatLogLine({12, 31, 1999, 23, 59, 59, 999}, 3, 15, 1, "t"),
            "12/31/1999 23:59:59.999\tQTL\tAll\tt\r\n");
}

TEST(LogLine, LevelNames) {
  char name[16];
  EXPECT_STREQ(tessel::qrtl::LevelName(1, 15, name), "Error");
  EXPECT_STREQ(tessel::qrtl::LevelName(3, 3, name), "Warning");
  EXPECT_STREQ(tessel::qrtl::LevelName(12, 15, name), "Debug");
  EXPECT_STREQ(tessel::qrtl::LevelName(12, 4, name), "Info");
  EXPECT_STREQ(tessel::qrtl::LevelName(15, 1, name), "All");
  EXPECT_STREQ(tessel::qrtl::LevelName(16, 16, name), "U (16)");
  EXPECT_STREQ(tessel::qrtl::LevelName(17, 16, name), "U (17)");
}

TEST(LogLine, SubsystemNamesOnTheRangeBorders) {
  char name[16];
  EXPECT_STREQ(tessel::qrtl::SubsystemName(3, name), "QTL");
  EXPECT_STREQ(tessel::qrtl::SubsystemName(6, name), "QRTL");
  for (int known : {1, 11, 100, 102, 200, 216}) {
    EXPECT_STRNE(tessel::qrtl::SubsystemName(known, name), "") << known;
    EXPECT_NE(std::string(tessel::qrtl::SubsystemName(known, name)).rfind("U (", 0), 0u) << known;
  }
  for (int unknown : {0, 12, 99, 103, 199, 217, 250, -1}) {
    EXPECT_EQ(tessel::qrtl::SubsystemName(unknown, name), "U (" + std::to_string(unknown) + ")");
  }
}

TEST(LogTrim, AtTheUpperThresholdTheFileStays) {
  const std::string content(99, 'a');
  const std::string path = WriteTempFile("exact.log", content + "\n");
  EXPECT_EQ(tessel::qrtl::TrimLogFile(path, {100, 40}), 0);
  EXPECT_EQ(ReadFile(path), content + "\n");
}

TEST(LogTrim, AboveItWholeLinesOfTheLastLowerBytesStay) {
  // 101 bytes: the cut starts at byte 61, inside "line3", so the kept part
  // begins with the line after it.
  std::string content;
  for (int i = 0; i < 10; ++i) content += "line" + std::to_string(i) + "....\r\n";
  content.resize(101, 'z');
  const std::string path = WriteTempFile("above.log", content);
  EXPECT_EQ(tessel::qrtl::TrimLogFile(path, {100, 40}), 0);
  const std::string kept = ReadFile(path);
  const size_t cut = content.find('\n', 61) + 1;
  EXPECT_EQ(kept, content.substr(cut));
  EXPECT_LE(kept.size(), 40u);
  EXPECT_FALSE(std::filesystem::exists(path + ".trimming"));
}

TEST(LogTrim, WithoutLineEndInTheKeptPartTheFileEmpties) {
  const std::string path = WriteTempFile("noline.log", "a\n" + std::string(10000, 'b'));
  EXPECT_EQ(tessel::qrtl::TrimLogFile(path, {100, 40}), 0);
  EXPECT_EQ(ReadFile(path), "");
}

// A write cut short (here by a file size limit, as by a full disk) keeps the
// unwritten lines queued and leaves no piece of them in the file.
TEST(LogFlush, AShortWriteLeavesNoTornLine) {
  const std::string path = WriteTempFile("short.log", "");
  std::deque<std::string> queue{"first line\r\n", "second line\r\n", "third\r\n"};
  const tessel::qrtl::TrimThresholds thresholds{1 << 20, 1 << 19};
  rlimit previous{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  rlimit limited = previous;
  limited.rlim_cur = 16;  // inside the second line
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  const int32_t cutShort = tessel::qrtl::FlushLogQueue(path, queue, thresholds);
  setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(cutShort, QRTLERR_WRITE_LOG);
  EXPECT_EQ(ReadFile(path), "first line\r\n");
  ASSERT_EQ(queue.size(), 2u);
  EXPECT_EQ(tessel::qrtl::FlushLogQueue(path, queue, thresholds), 0);
  EXPECT_EQ(ReadFile(path), "first line\r\nsecond line\r\nthird\r\n");
  EXPECT_TRUE(queue.empty());
}

class Logging : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    path_ = tessel_test::TempDirectory() + "/run.log";
    std::filesystem::remove(path_);
  }
  void TearDown() override {
    QRTLDisableLogging();
    std::filesystem::remove(path_);
    RuntimeTest::TearDown();
  }
  std::string path_;
};

TEST_F(Logging, EnableAndDisableLogThroughTheHeldLock) {
  ASSERT_EQ(QRTLEnableLogging(path_.c_str(), QRTL_LOG_ALL, 100), 0);
  EXPECT_EQ(QRTLWriteToLog(200, QRTL_LOG_INFO, "between"), 0);
  EXPECT_EQ(ReadFile(path_), "");
  EXPECT_EQ(QRTLDisableLogging(), 0);
  const std::string content = ReadFile(path_);
  ASSERT_EQ(CountLines(content), 3u);
  EXPECT_NE(content.find("\tQRTL\tAll\tLogging Enabled.\r\n"), std::string::npos);
  EXPECT_NE(content.find("\tInfo\tbetween\r\n"), std::string::npos);
  EXPECT_NE(content.find("\tQRTL\tAll\tLogging Disabled.\r\n"), std::string::npos);
  EXPECT_EQ(QRTLValidateCleanup(), 1);
  // The file that enabling created is its owner's alone.
  namespace fs = std::filesystem;
  EXPECT_EQ(fs::status(path_).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(Logging, FilterAndFlushRules) {
  ASSERT_EQ(QRTLEnableLogging(path_.c_str(), 3, 100), 0);
  EXPECT_EQ(QRTLWriteToLog(6, 4, "filtered"), QRTLWARN_LOG_FILTERED);
  EXPECT_EQ(QRTLWriteToLog(6, 3, "warning"), 0);
  EXPECT_EQ(ReadFile(path_), "");
  EXPECT_EQ(QRTLWriteToLog(6, QRTL_LOG_ERROR, "error"), 0);
  const std::string content = ReadFile(path_);
  EXPECT_EQ(CountLines(content), 3u);
  EXPECT_NE(content.find("\tWarning\twarning\r\n"), std::string::npos);
  EXPECT_EQ(content.find("filtered"), std::string::npos);
}

TEST_F(Logging, FlushCountIsTheQueueLengthThatWrites) {
  ASSERT_EQ(QRTLEnableLogging(path_.c_str(), QRTL_LOG_ALL, 3), 0);
  EXPECT_EQ(QRTLWriteToLog(6, QRTL_LOG_INFO, "1"), 0);
  EXPECT_EQ(ReadFile(path_), "");
  EXPECT_EQ(QRTLWriteToLog(6, QRTL_LOG_INFO, "2"), 0);
  EXPECT_EQ(CountLines(ReadFile(path_)), 3u);
}

TEST_F(Logging, EnablingTwiceKeepsTheFirstSettings) {
  ASSERT_EQ(QRTLEnableLogging(path_.c_str(), 5, 7), 0);
  const std::string other = tessel_test::TempDirectory() + "/other.log";
  EXPECT_EQ(QRTLEnableLogging(other.c_str(), 1, 1), QRTLERR_ALREADY_LOGGING);
  EXPECT_FALSE(std::filesystem::exists(other));
  char path[512];
  int32_t mask = 0;
  int32_t count = 0;
  EXPECT_EQ(QRTLGetLogParameters(path, sizeof path, &mask, &count), 1);
  EXPECT_EQ(path, path_);
  EXPECT_EQ(mask, 5);
  EXPECT_EQ(count, 7);
  char shortPath[5];
  EXPECT_EQ(QRTLGetLogParameters(shortPath, sizeof shortPath, nullptr, nullptr), 1);
  EXPECT_EQ(std::string(shortPath), path_.substr(0, 4));
  EXPECT_EQ(QRTLValidateCleanup(), 0);
}

TEST_F(Logging, DisabledLoggingWritesNothing) {
  EXPECT_EQ(QRTLWriteToLog(6, QRTL_LOG_ERROR, "x"), QRTLWARN_LOG_DISABLED);
  EXPECT_EQ(QRTLIsLoggingEnabled(), 0);
  char path[16] = "stale";
  int32_t mask = -1;
  int32_t count = -1;
  EXPECT_EQ(QRTLGetLogParameters(path, sizeof path, &mask, &count), 0);
  EXPECT_STREQ(path, "");
  EXPECT_EQ(mask, 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(QRTLDisableLogging(), 0);
  EXPECT_EQ(QRTLValidateCleanup(), 1);
}

TEST_F(Logging, FileThatCannotBeCreated) {
  const std::string path = tessel_test::TempDirectory() + "/no/such/dir.log";
  EXPECT_EQ(QRTLEnableLogging(path.c_str(), QRTL_LOG_ALL, 1), QRTLERR_OPEN_LOG);
  EXPECT_EQ(QRTLIsLoggingEnabled(), 0);
  EXPECT_EQ(QRTLValidateCleanup(), 1);
}

TEST_F(Logging, QueueSurvivesALostFile) {
  ASSERT_EQ(QRTLEnableLogging(path_.c_str(), QRTL_LOG_ALL, 100), 0);
  std::filesystem::remove(path_);
  EXPECT_EQ(QRTLWriteToLog(6, QRTL_LOG_ERROR, "first"), QRTLERR_OPEN_LOG);
  EXPECT_FALSE(std::filesystem::exists(path_));
  WriteTempFile("run.log", "");
  EXPECT_EQ(QRTLWriteToLog(6, QRTL_LOG_ERROR, "second"), 0);
  const std::string content = ReadFile(path_);
  EXPECT_EQ(CountLines(content), 3u);
  EXPECT_LT(content.find("first"), content.find("second"));
}

TEST_F(Logging, DefaultThresholdsTrimAboveButNotAtTheUpperOne) {
  // Pad so that the enable line (51 bytes) brings the file to exactly the
  // upper threshold.
  std::string pad;
  while (pad.size() + 100 <= 131072 - 51) pad += std::string(98, 'p') + "\r\n";
  pad += std::string(131072 - 51 - pad.size() - 2, 'q') + "\r\n";
  WriteTempFile("run.log", pad);
  ASSERT_EQ(QRTLEnableLogging(path_.c_str(), QRTL_LOG_ALL, 1), 0);
  const std::string atThreshold = ReadFile(path_);
  ASSERT_EQ(atThreshold.size(), 131072u);

  ASSERT_EQ(QRTLWriteToLog(6, QRTL_LOG_ERROR, "x"), 0);
  const std::string trimmed = ReadFile(path_);
  const std::string before = atThreshold + trimmed.substr(trimmed.size() - kErrorLineOverhead - 1);
  ASSERT_EQ(before.size(), 131072u + kErrorLineOverhead + 1);
  EXPECT_EQ(trimmed, before.substr(before.find('\n', before.size() - 65536) + 1));
  EXPECT_LE(trimmed.size(), 65536u);
}

TEST_F(Logging, ConfiguredThresholdsApplyAfterStart) {
  ASSERT_EQ(QRTLWriteProfileEntry("QRTL", "LoggingUpperThreshold", "400", 2), 0);
  ASSERT_EQ(QRTLWriteProfileEntry("QRTL", "LoggingLowerThreshold", "200", 2), 0);
  Restart();
  ASSERT_EQ(QRTLEnableLogging(path_.c_str(), QRTL_LOG_ALL, 1), 0);
  for (int i = 0; i < 20; ++i) ASSERT_EQ(QRTLWriteToLog(6, QRTL_LOG_INFO, "line"), 0);
  const std::string content = ReadFile(path_);
  EXPECT_LE(content.size(), 400u);
  EXPECT_LT(CountLines(content), 21u);
  EXPECT_EQ(content.rfind("\r\n"), content.size() - 2);
  EXPECT_EQ(content.find("\tQRTL\t"), 23u);
}

TEST_F(Logging, LinesStillQueuedAtTheEndAreWritten) {
  ASSERT_EQ(QRTLEnableLogging(path_.c_str(), QRTL_LOG_ALL, 100), 0);
  ASSERT_EQ(QRTLWriteToLog(6, QRTL_LOG_INFO, "pending"), 0);
  Restart();
  EXPECT_EQ(CountLines(ReadFile(path_)), 2u);
  EXPECT_EQ(QRTLIsLoggingEnabled(), 0);
}

TEST_F(Logging, MirroredLinesGoToStandardErrorCutLikeTheDebuggerOutput) {
  WriteTempFile("system.ini", "[Debug]\r\nOutputTo=NUL\r\n");
  Restart();
  std::filesystem::remove(tessel_test::TempDirectory() + "/system.ini");
  ASSERT_EQ(QRTLEnableLogging(path_.c_str(), QRTL_LOG_ALL, 100), 0);
  const std::string longText(200, 'L');
  testing::internal::CaptureStderr();
  ASSERT_EQ(QRTLWriteToLog(6, QRTL_LOG_INFO, "short"), 0);
  ASSERT_EQ(QRTLWriteToLog(6, QRTL_LOG_INFO, longText.c_str()), 0);
  const std::string mirrored = testing::internal::GetCapturedStderr();
  const size_t split = mirrored.find("\r\n") + 2;
  EXPECT_NE(mirrored.substr(0, split).find("\tshort\r\n"), std::string::npos);
  EXPECT_EQ(mirrored.size() - split, 159u);
  EXPECT_EQ(mirrored.back(), '\n');
  ASSERT_EQ(QRTLDisableLogging(), 0);
  EXPECT_NE(ReadFile(path_).find(longText + "\r\n"), std::string::npos);
}

TEST(LogSettings, ThresholdsFallBackTogether) {
  struct Case {
    const char* upper;
    const char* lower;
    long expectedUpper;
    long expectedLower;
  };
  const Case cases[] = {
      {"70000", "80000", 131072, 65536},
      {"1000", "1000", 131072, 65536},
      {"0", "100", 131072, 65536},
      {"1000", "-5", 131072, 65536},
      {"many", "100", 131072, 65536},
      {"1000", "999", 1000, 999},
      // Thirteen characters are read; a longer text is not, and its
      // default stands in for it alone.
      {"1234567890123", "100", 1234567890123, 100},
      {"12345678901234", "100", 131072, 100},
  };
  tessel_test::ClearFamilyKeys();
  for (const Case& c : cases) {
    ASSERT_EQ(QRTLWriteProfileEntry("QRTL", "LoggingUpperThreshold", c.upper, 2), 0);
    ASSERT_EQ(QRTLWriteProfileEntry("QRTL", "LoggingLowerThreshold", c.lower, 2), 0);
    const tessel::qrtl::LogSettings settings = tessel::qrtl::ReadLogSettings();
    EXPECT_EQ(settings.upperThreshold, c.expectedUpper) << c.upper << " " << c.lower;
    EXPECT_EQ(settings.lowerThreshold, c.expectedLower) << c.upper << " " << c.lower;
  }
  tessel_test::ClearFamilyKeys();
}

}  // namespace
