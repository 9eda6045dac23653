#include "download/lpr.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <grp.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "download/job_port.h"
#include "download/lpr_socket.h"
#include "lpd_receiver.h"
#include "platform/winsock_errors.h"
#include "temp_dir.h"
#include "fake_clock.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::string Pattern(size_t size) {
  std::string data(size, '\0');
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>(i * 7 + i / 251);
  return data;
}

// The job file at `path` open for reading, as a sender gets it; its
// descriptor is -1 when it cannot be opened.
std::unique_ptr<JobFile> Job(const std::string& path) {
  return std::make_unique<JobFile>(open(path.c_str(), O_RDONLY | O_CLOEXEC), path);
}

std::string WriteJob(const TempDir& dir, const std::string& name, const std::string& data) {
  fs::path path = dir.file(name);
  std::ofstream(path, std::ios::binary) << data;
  return path.string();
}

int OpenDescriptors() {
  int count = 0;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count;
}

// The byte stream of a whole job as RFC 1179 and our pacing give it.
std::string ExpectedStream(const std::string& job, const std::string& sourceName,
                           const std::string& data) {
  std::string control = "HGLY\nPGLY\nfdfA" + job + "GLY\nUdfA" + job + "GLY\nN" + sourceName + "\n";
  return "\x02lp\n"s + "\x02" + std::to_string(control.size()) + " cfA" + job + "GLY\n" +
         control + '\0' + "\x03" + std::to_string(data.size()) + " dfA" + job + "GLY\n" + data +
         '\0';
}

class LprExchangeTest : public ::testing::Test {
 protected:
  LprSettings SettingsFor(const LpdReceiver& receiver) {
    LprSettings settings;
    settings.clock = &clock_;
    settings.port = receiver.port();
    settings.noProgressMs = 10000;
    return settings;
  }

  TempDir dir_;
  FakeClock clock_;
};

TEST_F(LprExchangeTest, WorkedExampleIsSentByteForByte) {
  std::string data = Pattern(3000);
  std::string path = WriteJob(dir_, "tmpPrintFile.tmp", data);
  LpdReceiver receiver;

  ASSERT_EQ(SubmitLprJob("127.0.0.1", *Job(path), "GLY", 7, SettingsFor(receiver)), 0);

  std::string control = "HGLY\nPGLY\nfdfA007GLY\nUdfA007GLY\nN\\tmpPrintFile.tmp\n";
  ASSERT_EQ(control.size(), 51u);
  std::string stream = receiver.Received();
  EXPECT_EQ(stream.substr(4, 14), "\x02" "51 cfA007GLY\n");
  EXPECT_EQ(stream, ExpectedStream("007", "\\tmpPrintFile.tmp", data));
  // 250 ms after the job command and each subcommand, 10 ms after each of
  // the two full blocks, 200 ms before the shutdown.
  EXPECT_EQ(clock_.sleptMs(), 3 * 250u + 2 * 10u + 200u);
}

TEST_F(LprExchangeTest, EmptyAndWholeBlockJobsEndWithTheirNul) {
  for (size_t size : {size_t{0}, size_t{2048}}) {
    SCOPED_TRACE(size);
    std::string data = Pattern(size);
    std::string path = WriteJob(dir_, "job.prn", data);
    LpdReceiver receiver;
    ASSERT_EQ(SubmitLprJob("127.0.0.1", *Job(path), "GLY", 1234, SettingsFor(receiver)), 0);
    EXPECT_EQ(receiver.Received(), ExpectedStream("234", "\\job.prn", data));
  }
}

// Without pacing the same bytes go with no wait at all; the job port takes
// the pacing of the printer's own settings unless its settings fix one.
TEST_F(LprExchangeTest, UnpacedJobsCarryTheSameBytesWithoutWaits) {
  const std::string data = Pattern(150000);  // whole large sends and a tail
  const std::string path = WriteJob(dir_, "job.prn", data);
  {
    LpdReceiver receiver;
    LprSettings settings = SettingsFor(receiver);
    settings.pacing = LprPacing::None;
    ASSERT_EQ(SubmitLprJob("127.0.0.1", *Job(path), "GLY", 5, settings), 0);
    EXPECT_EQ(receiver.Received(), ExpectedStream("005", "\\job.prn", data));
    EXPECT_EQ(clock_.sleptMs(), 0u);
  }
  RunPrinterSettings().Set(0x7F000001u, {JobPort::Lpr, true, LprPacing::None});
  for (const auto& [fixed, paced] : {std::pair{std::optional<LprPacing>(), false},
                                     std::pair{std::optional(LprPacing::Classic), true}}) {
    LpdReceiver receiver;
    FakeClock clock;
    JobPortSettings settings;
    settings.clock = &clock;
    settings.lprPort = receiver.port();
    settings.lprPacing = fixed;
    ASSERT_EQ(SubmitJob("127.0.0.1", JobPort::Lpr, *Job(path), "GLY", 5, settings).code, 0);
    EXPECT_EQ(receiver.Received(), ExpectedStream("005", "\\job.prn", data));
    EXPECT_EQ(clock.sleptMs() > 0, paced);
  }
  RunPrinterSettings().Clear();
}

TEST_F(LprExchangeTest, RefusalsAndMissingAcknowledgementsFailAndCloseEverything) {
  std::string path = WriteJob(dir_, "job.prn", Pattern(1500));
  int before = OpenDescriptors();

  struct Case {
    const char* what;
    LpdReceiver::Script script;
    int expected;
  };
  std::vector<Case> cases;
  const int expectedRefusal[] = {LPR_ERR_QUEUE_REFUSED, LPR_ERR_CONTROL_FILE_REFUSED,
                                 LPR_ERR_CONTROL_FILE_REFUSED, LPR_ERR_DATA_FILE_REFUSED,
                                 LPR_ERR_DATA_FILE_REFUSED};
  for (int step = 0; step < LpdReceiver::kStepCount; ++step) {
    LpdReceiver::Script refuse;
    refuse.acks[step] = 1;
    cases.push_back({"non-zero ack", refuse, expectedRefusal[step]});
    LpdReceiver::Script hangUp;
    hangUp.closeBefore = step;
    cases.push_back({"closed without ack", hangUp, LPR_ERR_NO_ACK});
  }
  LpdReceiver::Script silent;
  silent.silentFrom = LpdReceiver::kDataFile;
  cases.push_back({"ack never comes", silent, JOB_ERR_STOPPED_TAKING_DATA});

  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(std::string(cases[i].what) + " #" + std::to_string(i));
    LpdReceiver receiver(cases[i].script);
    LprSettings settings = SettingsFor(receiver);
    settings.noProgressMs = 200;
    // The silent printer's limit passes in real time.
    if (cases[i].script.silentFrom != LpdReceiver::kStepCount) settings.clock = &SystemClock();
    int result = SubmitLprJob("127.0.0.1", *Job(path), "GLY", 0, settings);
    EXPECT_EQ(result, cases[i].expected) << (LprResultName(result) ? LprResultName(result) : "");
    receiver.Received();
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(LprExchangeTest, RefusedConnectionGivesTheWinsockNumberAndSendsNothing) {
  std::string path = WriteJob(dir_, "job.prn", "x");
  uint16_t freePort;
  {
    LpdReceiver probe;  // a port that was just free; nobody listens once it is gone
    freePort = probe.port();
  }
  LprSettings settings;
  settings.clock = &clock_;
  settings.port = freePort;
  EXPECT_EQ(SubmitLprJob("127.0.0.1", *Job(path), "GLY", 0, settings), WSAECONNREFUSED);
  EXPECT_EQ(clock_.sleepCount(), 0u);
  EXPECT_EQ(SubmitLprJob("not an address", *Job(path), "GLY", 0, settings), WSAEINVAL);
}

// A listener whose queue of waiting connections is full leaves the opening
// of a further connection unanswered, as a printer that is switched off
// does: the connect gives up after its time-out instead of the system's
// minutes of retries.
TEST(LprConnect, UnansweredConnectionGivesUpAfterItsTimeOut) {
  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 0), 0);
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);

  std::vector<std::unique_ptr<LprSocket>> waiting;
  int result = 0;
  auto took = std::chrono::milliseconds::max();
  for (int attempt = 0; attempt < 8 && result == 0; ++attempt) {
    waiting.push_back(MakeTcpLprSocket(SystemClock(), kNoProgressLimitMs));
    const auto start = std::chrono::steady_clock::now();
    result = waiting.back()->Connect("127.0.0.1", ntohs(address.sin_port), 300);
    took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  }
  EXPECT_EQ(result, WSAETIMEDOUT);
  EXPECT_GE(took.count(), 250);
  EXPECT_LT(took.count(), 5000);
  close(listener);
}

// A socket that acknowledges everything and writes down each send and each
// wait, so the pacing and the send boundaries can be checked.
class RecordingSocket final : public LprSocket {
 public:
  explicit RecordingSocket(FakeClock& clock, std::vector<std::string>& log) : log_(log) {
    clock.onSleep = [this](uint32_t ms) { log_.push_back("wait " + std::to_string(ms)); };
  }
  int Connect(const char*, uint16_t, uint32_t) override {
    log_.push_back("connect");
    return 0;
  }
  int Send(const void*, size_t size) override {
    log_.push_back("send " + std::to_string(size));
    if (onSend) onSend();
    return 0;
  }
  int ReceiveByte(uint8_t& byte, uint32_t) override {
    byte = 0;
    return 0;
  }
  void ShutdownSend() override { log_.push_back("shutdown"); }

  std::function<void()> onSend;

 private:
  std::vector<std::string>& log_;
};

TEST(LprPacing, BlocksAndWaitsFollowEachOtherInOrder) {
  TempDir dir;
  std::string path = WriteJob(dir, "job.prn", Pattern(2100));
  FakeClock clock;
  std::vector<std::string> log;
  RecordingSocket socket(clock, log);
  LprSettings settings;
  settings.clock = &clock;

  ASSERT_EQ(SubmitLprJobOn(socket, "10.0.0.1", *Job(path), "GLY", 3, settings), 0);

  std::vector<std::string> expected = {
      "connect",   "send 4",    "wait 250", "send 14",  "wait 250", "send 43",
      "wait 250",  "send 16",   "send 1024", "wait 10", "send 1024", "wait 10",
      "send 53",   "wait 200",  "shutdown"};
  EXPECT_EQ(log, expected);
}

TEST(LprPacing, JobFileProblemsGiveTheirOwnResults) {
  TempDir dir;
  FakeClock clock;
  std::vector<std::string> log;
  RecordingSocket socket(clock, log);
  LprSettings settings;
  settings.clock = &clock;

  std::string missing = dir.file("missing.prn");
  EXPECT_EQ(SubmitLprJobOn(socket, "10.0.0.1", *Job(missing), "GLY", 0, settings),
            LPR_ERR_JOB_FILE_UNREADABLE);
  EXPECT_TRUE(log.empty()) << "nothing may be sent for a job file that cannot be measured";

  // The job file shrinks after its size was announced.
  std::string path = WriteJob(dir, "job.prn", Pattern(10));
  int sends = 0;
  socket.onSend = [&] {
    if (++sends == 4) fs::resize_file(path, 5);  // the data subcommand went out
  };
  EXPECT_EQ(SubmitLprJobOn(socket, "10.0.0.1", *Job(path), "GLY", 0, settings),
            LPR_ERR_JOB_FILE_READ);
}

// A job file that exists but may not be read is refused before anything is
// sent, as a missing one is. Root reads every file, so as root the attempt
// runs in a child process that has become nobody.
TEST(LprPacing, UnreadableJobFileSendsNothing) {
  TempDir dir;
  const std::string path = WriteJob(dir, "job.prn", Pattern(10));
  // The folder stays searchable: only the file itself is closed to others.
  fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(path, fs::perms::none);
  auto refusedSilently = [&] {
    FakeClock clock;
    std::vector<std::string> log;
    RecordingSocket socket(clock, log);
    LprSettings settings;
    settings.clock = &clock;
    return SubmitLprJobOn(socket, "10.0.0.1", *Job(path), "GLY", 0, settings) ==
               LPR_ERR_JOB_FILE_UNREADABLE &&
           log.empty();
  };
  if (geteuid() != 0) {
    EXPECT_TRUE(refusedSilently());
    return;
  }
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const bool nobody = setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0;
    _exit(nobody && refusedSilently() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(LprNames, JobNumbersAndSourceNames) {
  EXPECT_EQ(MakeJobNumber(0), "000");
  EXPECT_EQ(MakeJobNumber(7), "007");
  EXPECT_EQ(MakeJobNumber(999), "999");
  EXPECT_EQ(MakeJobNumber(1234), "234");
  EXPECT_EQ(MakeJobNumber(-1), "999");

  EXPECT_EQ(LprSourceName("C:\\Apps\\Tool\\tmpPrintFile.tmp"), "\\tmpPrintFile.tmp");
  EXPECT_EQ(LprSourceName("/opt/gly/bin/tmpPrintFile.tmp"), "\\tmpPrintFile.tmp");
  EXPECT_EQ(LprSourceName("a-job-file-name-without-any-separator.prn"),
            "a-job-file-name-without-any-sep");
  EXPECT_EQ(LprSourceName("/tmp/a-rather-long-job-file-name-of-forty.prn"),
            "\\a-rather-long-job-file-name-of");
}

TEST(LprSettingsTest, PortComesFromTheEnvironmentWhenValid) {
  const char* saved = std::getenv(kLprPortEnv);
  std::string restore = saved ? saved : "";
  for (auto [text, port] : {std::pair{"1515", 1515}, {"0", 515}, {"70000", 515}, {"51x", 515}}) {
    setenv(kLprPortEnv, text, 1);
    EXPECT_EQ(DefaultLprSettings().port, port) << text;
  }
  if (saved) {
    setenv(kLprPortEnv, restore.c_str(), 1);
  } else {
    unsetenv(kLprPortEnv);
  }
  EXPECT_EQ(LprResultName(LPR_ERR_NO_ACK), "LPR_ERR_NO_ACK"s);
  EXPECT_EQ(LprResultName(WSAECONNREFUSED), nullptr);
}

}  // namespace
