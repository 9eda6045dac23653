#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>
#include <initializer_list>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "log_file.h"
#include "log_line.h"
#include "log_settings.h"
#include "platform/thread.h"
#include "runtime_fixture.h"
#include "tessel/qrtl.h"

namespace {

using tessel::qrtl::FormatLogLine;
using tessel::qrtl::LogQueue;
using tessel::qrtl::LogTime;
using tessel_test::ReadFile;
using tessel_test::WriteTempFile;

constexpr LogTime kTime{1, 2, 2024, 3, 4, 5, 6};
// Time stamp, "QRTL", "Error", TAB-separated, around the text.
constexpr size_t kErrorLineOverhead = 24 + 5 + 6 + 2;

LogQueue QueueOf(std::initializer_list<std::string> lines) {
  LogQueue queue;
  for (const std::string& line : lines) queue.Push(line);
  return queue;
}

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

int32_t Trim(const std::string& path, const tessel::qrtl::TrimThresholds& thresholds) {
  const int file = open(path.c_str(), O_RDWR);
  const int32_t status = tessel::qrtl::TrimLogFile(file, thresholds);
  close(file);
  return status;
}

TEST(LogTrim, AtTheUpperThresholdTheFileStays) {
  const std::string content(99, 'a');
  const std::string path = WriteTempFile("exact.log", content + "\n");
  EXPECT_EQ(Trim(path, {100, 40}), 0);
  EXPECT_EQ(ReadFile(path), content + "\n");
}

TEST(LogTrim, AboveItWholeLinesOfTheLastLowerBytesStay) {
  // 101 bytes: the cut starts at byte 61, inside "line3", so the kept part
  // begins with the line after it.
  std::string content;
  for (int i = 0; i < 10; ++i) content += "line" + std::to_string(i) + "....\r\n";
  content.resize(101, 'z');
  const std::string path = WriteTempFile("above.log", content);
  EXPECT_EQ(Trim(path, {100, 40}), 0);
  const std::string kept = ReadFile(path);
  const size_t cut = content.find('\n', 61) + 1;
  EXPECT_EQ(kept, content.substr(cut));
  EXPECT_LE(kept.size(), 40u);
  EXPECT_FALSE(std::filesystem::exists(path + ".trimming"));
}

TEST(LogTrim, WithoutLineEndInTheKeptPartTheFileEmpties) {
  const std::string path = WriteTempFile("noline.log", "a\n" + std::string(10000, 'b'));
  EXPECT_EQ(Trim(path, {100, 40}), 0);
  EXPECT_EQ(ReadFile(path), "");
}

// A write cut short (here by a file size limit, as by a full disk) keeps the
// unwritten lines queued and leaves no piece of them in the file.
TEST(LogFlush, AShortWriteLeavesNoTornLine) {
  const std::string path = WriteTempFile("short.log", "");
  LogQueue queue = QueueOf({"first line\r\n", "second line\r\n", "third\r\n"});
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

// Over its bound in lines or bytes the queue drops its oldest lines, the
// newest always staying; a full file system (/dev/full) keeps them queued,
// and the next flush that works tells the loss first, in a line of its own.
TEST(LogQueue, OverTheBoundTheOldestGoAndTheLossIsToldBeforeTheRest) {
  LogQueue queue(3, 1000);
  for (int i = 0; i < 5; ++i) queue.Push("line " + std::to_string(i) + "\r\n");
  EXPECT_TRUE(queue.Full());
  const tessel::qrtl::TrimThresholds thresholds{1 << 20, 1 << 19};
  EXPECT_EQ(tessel::qrtl::FlushLogQueue("/dev/full", queue, thresholds), QRTLERR_WRITE_LOG);
  ASSERT_EQ(queue.size(), 3u);
  EXPECT_EQ(queue.dropped(), 2u);

  const std::string path = WriteTempFile("lossy.log", "");
  EXPECT_EQ(tessel::qrtl::FlushLogQueue(path, queue, thresholds), QRTL_SUCCESS);
  const std::string content = ReadFile(path);
  const size_t report = content.find("\tQRTL\tAll\t2 log lines were lost: the log file could not be written.\r\n");
  EXPECT_EQ(report, 23u) << content;
  EXPECT_EQ(content.substr(content.find('\n') + 1), "line 2\r\nline 3\r\nline 4\r\n");
  EXPECT_TRUE(queue.empty());
  EXPECT_EQ(queue.dropped(), 0u);

  LogQueue bytes(100, 30);
  for (int i = 0; i < 3; ++i) bytes.Push(std::string(12, 'a' + i) + "\r\n");
  EXPECT_EQ(bytes.size(), 2u);
  bytes.Push(std::string(48, 'z') + "\r\n");
  EXPECT_EQ(bytes.size(), 1u);
  EXPECT_EQ(bytes.dropped(), 3u);
}

// Numbered lines of 14 bytes: "line0000....\r\n".
std::string NumberedLines(int count) {
  std::string content;
  for (int i = 0; i < count; ++i) {
    char line[16];
    std::snprintf(line, sizeof line, "line%04d....\r\n", i);
    content += line;
  }
  return content;
}

// Runs `body` in a child process and returns its wait status; the child's
// exit code is what `body` returns.
int RunInChild(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) _exit(body());
  int status = -1;
  waitpid(child, &status, 0);
  return status;
}

bool ExitedWith(int status, int code) { return WIFEXITED(status) && WEXITSTATUS(status) == code; }

constexpr tessel::qrtl::TrimThresholds kSmall{100, 40};

// The folder of the log may be read-only to the process: trimming must not
// need it, and the line written is not reported as failed. (Root is not
// stopped by permissions; its child drops to an ordinary user.)
TEST(LogTrim, WorksInAFolderTheProcessMayNotWrite) {
  namespace fs = std::filesystem;
  std::string folder = (fs::temp_directory_path() / "tessel-readonly-XXXXXX").string();
  ASSERT_NE(mkdtemp(folder.data()), nullptr);
  const std::string path = folder + "/run.log";
  std::ofstream(path, std::ios::binary) << NumberedLines(7);
  constexpr uid_t kNobody = 65534;
  if (geteuid() == 0) {
    ASSERT_EQ(chown(path.c_str(), kNobody, kNobody), 0);
  }
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);

  const int status = RunInChild([&] {
    if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) return 10;
    LogQueue queue = QueueOf({"new line...\r\n"});
    return tessel::qrtl::FlushLogQueue(path, queue, kSmall) == QRTL_SUCCESS && queue.empty() ? 0
                                                                                           : 1;
  });
  EXPECT_TRUE(ExitedWith(status, 0)) << status;
  const std::string before = NumberedLines(7) + "new line...\r\n";
  EXPECT_EQ(ReadFile(path), before.substr(before.find('\n', before.size() - 40) + 1));
  chmod(folder.c_str(), 0755);
  fs::remove_all(folder);
}

// A trim keeps the log the same file: a symbolic link to it still leads to
// the lines, and a hard link still shares them.
TEST(LogTrim, LinksToTheLogKeepWorking) {
  namespace fs = std::filesystem;
  const std::string target = WriteTempFile("target.log", NumberedLines(7));
  const std::string link = tessel_test::TempDirectory() + "/link.log";
  const std::string hard = tessel_test::TempDirectory() + "/hard.log";
  fs::remove(link);
  fs::remove(hard);
  fs::create_symlink(target, link);
  fs::create_hard_link(target, hard);
  struct stat before {};
  ASSERT_EQ(stat(target.c_str(), &before), 0);

  LogQueue queue = QueueOf({"new line...\r\n"});
  EXPECT_EQ(tessel::qrtl::FlushLogQueue(link, queue, kSmall), 0);
  EXPECT_TRUE(fs::is_symlink(link));
  struct stat after {};
  ASSERT_EQ(stat(target.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_nlink, 2u);
  const std::string trimmed = ReadFile(target);
  EXPECT_LE(trimmed.size(), 40u);
  EXPECT_EQ(trimmed, "line0006....\r\nnew line...\r\n");
  EXPECT_EQ(ReadFile(hard), trimmed);
  fs::remove(link);
  fs::remove(hard);
  fs::remove(target);
}

// Trimming makes no file beside the log, so nothing planted there (here a
// link to another file) is written or changed.
TEST(LogTrim, TouchesNoFileBesideTheLog) {
  namespace fs = std::filesystem;
  const std::string path = WriteTempFile("planted.log", NumberedLines(7));
  const std::string victim = WriteTempFile("victim", "untouched");
  fs::permissions(victim, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  for (const char* suffix : {".trimming", ".tmp", "~"}) {
    fs::remove(path + suffix);
    fs::create_symlink(victim, path + suffix);
  }
  LogQueue queue = QueueOf({"new line...\r\n"});
  EXPECT_EQ(tessel::qrtl::FlushLogQueue(path, queue, kSmall), 0);
  EXPECT_LE(ReadFile(path).size(), 40u);
  EXPECT_EQ(ReadFile(victim), "untouched");
  EXPECT_EQ(fs::status(victim).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  for (const char* suffix : {".trimming", ".tmp", "~"}) fs::remove(path + suffix);
  fs::remove(victim);
}

// Kills the calling process at its first ftruncate.
bool DieAtTheFirstCut() {
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_ftruncate, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
  return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// A log that grew past the upper threshold while it could not be trimmed
// (a full disk) is trimmed before the next lines go in, which then fit.
TEST(LogFlush, AFileOverTheThresholdIsTrimmedBeforeItIsAppendedTo) {
  std::string content;
  for (int i = 0; i < 30; ++i) content += std::string(48, 'a' + i % 26) + "\r\n";
  const std::string path = WriteTempFile("full.log", content);
  const int status = RunInChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit disk{1600, 1600};  // no file may grow beyond 1600 bytes
    if (setrlimit(RLIMIT_FSIZE, &disk) != 0) return 10;
    LogQueue queue = QueueOf({std::string(198, 'n') + "\r\n"});
    return tessel::qrtl::FlushLogQueue(path, queue, {1000, 500}) == QRTL_SUCCESS && queue.empty() ? 0 : 11;
  });
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::string after = ReadFile(path);
  EXPECT_LE(after.size(), 700u);
  EXPECT_EQ(after.substr(after.size() - 200), std::string(198, 'n') + "\r\n");
}

TEST(LogFlush, AfterAFailureFlushesPauseLongerEachTimeUpToALimit) {
  tessel::qrtl::FlushBackoff backoff;
  EXPECT_TRUE(backoff.Due(5));
  backoff.Failed(100);
  EXPECT_FALSE(backoff.Due(100 + tessel::qrtl::FlushBackoff::kFirstPauseMs - 1));
  EXPECT_TRUE(backoff.Due(100 + tessel::qrtl::FlushBackoff::kFirstPauseMs));
  uint32_t now = 100;
  for (int i = 0; i < 20; ++i) backoff.Failed(now += 5000);
  EXPECT_FALSE(backoff.Due(now + tessel::qrtl::FlushBackoff::kLongestPauseMs - 1));
  EXPECT_TRUE(backoff.Due(now + tessel::qrtl::FlushBackoff::kLongestPauseMs));
  backoff.Failed(UINT32_MAX - 2);  // the tick counter wraps
  EXPECT_TRUE(backoff.Due(UINT32_MAX - 2 + tessel::qrtl::FlushBackoff::kLongestPauseMs));
  backoff.Succeeded();
  EXPECT_TRUE(backoff.Due(0));
}

// A trim cut short by a crash, after the kept lines went to the front but
// before the file was cut behind them, leaves only whole lines: the kept
// ones, one blank line, then whole lines of the old file.
TEST(LogTrim, ACrashBeforeTheCutLeavesOnlyWholeLines) {
  // Lines of different lengths, so the kept part ends inside an old line.
  std::string content;
  for (int i = 0; i < 12; ++i) content += std::string(3 + i % 7, 'a' + i) + "\r\n";
  content += "new\r\n";
  const std::string path = WriteTempFile("crash.log", content);
  const int status = RunInChild([&] {
    if (!DieAtTheFirstCut()) return 10;
    tessel::qrtl::TrimLogFile(open(path.c_str(), O_RDWR), {60, 30});
    return 0;
  });
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGSYS) << status;
  const std::string before = content;
  const std::string kept = before.substr(before.find('\n', before.size() - 30) + 1);
  const std::string after = ReadFile(path);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after.substr(0, kept.size()), kept);
  // What follows is a blank line up to where an old line began, then the
  // old file from there on.
  const size_t blankEnd = after.find('\n', kept.size()) + 1;
  EXPECT_EQ(blankEnd - kept.size(), 6u);
  EXPECT_EQ(after.substr(kept.size(), blankEnd - kept.size()).find_first_not_of(" \r\n"),
            std::string::npos);
  EXPECT_EQ(before[blankEnd - 1], '\n');
  EXPECT_EQ(after.substr(blankEnd), before.substr(blankEnd));
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

// Another user's link planted where the log goes is not followed, so the
// file it points at keeps every line; one's own link, or root's, is.
TEST_F(Logging, AnotherUsersLinkIsNotFollowed) {
  const std::string shared = tessel_test::TempDirectory() + "/shared";
  std::filesystem::create_directory(shared);
  std::filesystem::permissions(shared, std::filesystem::perms::all | std::filesystem::perms::sticky_bit);
  const std::string victim = WriteTempFile("victim.txt", std::string(6000, 'v'));
  const std::string planted = shared + "/planted.log";
  std::filesystem::remove(planted);
  std::filesystem::create_symlink(victim, planted);
  ASSERT_EQ(lchown(planted.c_str(), 65534, 65534), 0);
  EXPECT_EQ(QRTLEnableLogging(planted.c_str(), QRTL_LOG_ALL, 1), QRTLERR_UNTRUSTED_LOG_LINK);
  EXPECT_EQ(QRTLIsLoggingEnabled(), 0);
  EXPECT_EQ(ReadFile(victim), std::string(6000, 'v'));

  ASSERT_EQ(lchown(planted.c_str(), geteuid(), getegid()), 0);
  ASSERT_EQ(QRTLEnableLogging(planted.c_str(), QRTL_LOG_ALL, 1), QRTL_SUCCESS);
  EXPECT_EQ(QRTLDisableLogging(), QRTL_SUCCESS);
  EXPECT_EQ(CountLines(ReadFile(victim)), 2u);
  std::filesystem::remove_all(shared);
}

// A file another user made where the log goes (here one open to all) gets
// none of the lines, whether it was there before logging began or took the
// log's place later.
TEST_F(Logging, AnotherUsersFileGetsNoLine) {
  auto plant = [this] {
    std::filesystem::remove(path_);
    WriteTempFile("run.log", "");
    return chmod(path_.c_str(), 0666) == 0 && chown(path_.c_str(), 65534, 65534) == 0;
  };
  ASSERT_TRUE(plant());
  EXPECT_EQ(QRTLEnableLogging(path_.c_str(), QRTL_LOG_ALL, 1), QRTLERR_UNTRUSTED_LOG_FILE);
  EXPECT_EQ(QRTLIsLoggingEnabled(), 0);

  std::filesystem::remove(path_);
  ASSERT_EQ(QRTLEnableLogging(path_.c_str(), QRTL_LOG_ALL, 1), QRTL_SUCCESS);
  ASSERT_TRUE(plant());
  EXPECT_EQ(QRTLWriteToLog(6, QRTL_LOG_ERROR, "secret"), QRTLERR_UNTRUSTED_LOG_FILE);
  EXPECT_EQ(ReadFile(path_), "");
}

TEST_F(Logging, QueueSurvivesALostFile) {
  ASSERT_EQ(QRTLEnableLogging(path_.c_str(), QRTL_LOG_ALL, 100), 0);
  std::filesystem::remove(path_);
  EXPECT_EQ(QRTLWriteToLog(6, QRTL_LOG_ERROR, "first"), QRTLERR_OPEN_LOG);
  EXPECT_FALSE(std::filesystem::exists(path_));
  WriteTempFile("run.log", "");
  // Not tried again at once, and tried again after the pause.
  EXPECT_EQ(QRTLWriteToLog(6, QRTL_LOG_ERROR, "early"), QRTLERR_OPEN_LOG);
  Sleep(tessel::qrtl::FlushBackoff::kFirstPauseMs + 5);
  EXPECT_EQ(QRTLWriteToLog(6, QRTL_LOG_ERROR, "second"), 0);
  const std::string content = ReadFile(path_);
  EXPECT_EQ(CountLines(content), 4u);
  EXPECT_LT(content.find("first"), content.find("second"));
}

// While the file is gone the queue keeps its bound; once a flush works the
// file gets the count of the lines lost, then the newest lines in order.
TEST_F(Logging, AQueueThatCannotBeWrittenStaysBounded) {
  ASSERT_EQ(QRTLWriteProfileEntry("QRTL", "LoggingUpperThreshold", "8000000", 2), 0);
  ASSERT_EQ(QRTLWriteProfileEntry("QRTL", "LoggingLowerThreshold", "4000000", 2), 0);
  Restart();
  ASSERT_EQ(QRTLEnableLogging(path_.c_str(), QRTL_LOG_ALL, 1), 0);
  std::filesystem::remove(path_);
  const size_t written = LogQueue::kMaxLines + 10;
  for (size_t i = 0; i < written; ++i) {
    QRTLWriteToLog(6, QRTL_LOG_INFO, ("line " + std::to_string(i)).c_str());
  }
  WriteTempFile("run.log", "");
  Sleep(tessel::qrtl::FlushBackoff::kLongestPauseMs + 5);
  EXPECT_EQ(QRTLWriteToLog(6, QRTL_LOG_INFO, "after"), 0);
  const std::string content = ReadFile(path_);
  EXPECT_EQ(CountLines(content), LogQueue::kMaxLines + 1);
  const std::string first = content.substr(0, content.find('\n'));
  EXPECT_NE(first.find("\t11 log lines were lost"), std::string::npos) << first;
  const std::string second = content.substr(first.size() + 1, content.find('\n', first.size() + 1) - first.size());
  EXPECT_NE(second.find("\tline 11\r\n"), std::string::npos) << second;
  EXPECT_EQ(content.substr(content.size() - 7), "after\r\n");
}

// The final flush of QRTLDisableLogging fails: its status is returned, and
// logging is off all the same, with nothing left behind and no torn line.
TEST_F(Logging, DisableReportsAFailedFinalFlushAndStillEnds) {
  ASSERT_EQ(QRTLEnableLogging(path_.c_str(), QRTL_LOG_ALL, 100), 0);
  ASSERT_EQ(QRTLWriteToLog(6, QRTL_LOG_INFO, "queued"), 0);
  std::filesystem::remove(path_);
  EXPECT_EQ(QRTLDisableLogging(), QRTLERR_OPEN_LOG);
  EXPECT_EQ(QRTLIsLoggingEnabled(), 0);
  EXPECT_EQ(QRTLValidateCleanup(), 1);
  EXPECT_FALSE(std::filesystem::exists(path_));

  // Enabled again, the queue starts empty; now the write itself fails.
  ASSERT_EQ(QRTLEnableLogging(path_.c_str(), QRTL_LOG_ALL, 100), 0);
  ASSERT_EQ(QRTLWriteToLog(6, QRTL_LOG_INFO, "queued"), 0);
  rlimit previous{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  rlimit limited = previous;
  limited.rlim_cur = 10;
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  const int32_t disabled = QRTLDisableLogging();
  setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, previousHandler);
  EXPECT_EQ(disabled, QRTLERR_WRITE_LOG);
  EXPECT_EQ(QRTLIsLoggingEnabled(), 0);
  EXPECT_EQ(QRTLValidateCleanup(), 1);
  EXPECT_EQ(ReadFile(path_), "");
  EXPECT_EQ(QRTLWriteToLog(6, QRTL_LOG_ERROR, "after"), QRTLWARN_LOG_DISABLED);
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

TEST_F(Logging, LinesStillQueuedAtTheEndAreWrittenAndLaterOnesDropped) {
  ASSERT_EQ(QRTLEnableLogging(path_.c_str(), QRTL_LOG_ALL, 100), 0);
  ASSERT_EQ(QRTLWriteToLog(6, QRTL_LOG_INFO, "pending"), 0);
  tessel::qrtl::StopRuntimeServices();
  EXPECT_EQ(CountLines(ReadFile(path_)), 2u);
  EXPECT_EQ(QRTLWriteToLog(6, QRTL_LOG_ERROR, "late"), QRTLWARN_LOG_DISABLED);
  EXPECT_EQ(QRTLEnableLogging(path_.c_str(), QRTL_LOG_ALL, 100), QRTLERR_INTERNAL);
  EXPECT_EQ(QRTLIsLoggingEnabled(), 0);
  EXPECT_EQ(QRTLDisableLogging(), 0);
  EXPECT_EQ(CountLines(ReadFile(path_)), 2u);
  ASSERT_TRUE(tessel::qrtl::StartRuntimeServices());
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
