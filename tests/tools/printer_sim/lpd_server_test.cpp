// The virtual printer's LPD server: an independent client (rlpr), the
// program's exchange step by step, and the faults at each step.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "printer_sim.h"
#include "sim_test_support.h"
#include "temp_dir.h"

using namespace printer_sim;
using sim_test::PclSoftFont;
using sim_test::PjlDownload;
using sim_test::RunCommand;

namespace {

// A blocking client connection with a read time-out.
class Client {
 public:
  Client(const std::string& address, uint16_t port)
      : fd_(sim_test::ConnectTcp(address, port)), error_(fd_ >= 0 ? 0 : errno) {}
  ~Client() {
    if (fd_ >= 0) close(fd_);
  }

  bool connected() const { return fd_ >= 0; }
  int error() const { return error_; }
  void Send(const std::string& bytes) { send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
  // The next byte: 0 or 1 as acknowledgements go, -1 when the server closed.
  int ReadAck() {
    unsigned char byte = 0;
    return recv(fd_, &byte, 1, 0) == 1 ? byte : -1;
  }
  std::string ReadAll() {
    std::string all;
    char buffer[256];
    ssize_t size;
    while ((size = recv(fd_, buffer, sizeof buffer, 0)) > 0) all.append(buffer, static_cast<size_t>(size));
    return all;
  }

 private:
  int fd_ = -1;
  int error_ = 0;
};

// The program's exchange, cut into its five acknowledged steps.
std::vector<std::string> ProgramSteps(const std::string& data) {
  const std::string control = "HGLY\nPGLY\nfdfA007GLY\nUdfA007GLY\nN\\tmpPrintFile.tmp\n";
  return {"\x02lp\n", "\x02" + std::to_string(control.size()) + " cfA007GLY\n", control + std::string(1, '\0'),
          "\x03" + std::to_string(data.size()) + " dfA007GLY\n", data + std::string(1, '\0')};
}

class LpdServerTest : public testing::Test {
 protected:
  size_t Start(const char* address) {
    PrinterConfig config;
    config.address = address;
    size_t printer = *simulator_.AddPrinter(config);
    simulator_.Start();
    return printer;
  }

  std::string Rlpr(size_t printer, const std::string& file, const char* queue = "lp") {
    return "rlpr --no-bind --timeout=10 -H " + simulator_.Config(printer).address +
           " --port=" + std::to_string(simulator_.LpdPort(printer)) + " -P " + queue + " " + file + " 2>&1";
  }

  Simulator simulator_;
};

TEST_F(LpdServerTest, RlprJobIsStoredByteForByte) {
  size_t printer = Start("127.0.0.41");
  const TempDir scratchDir;
  const std::string& scratch = scratchDir.path();
  std::string bytes;
  for (int i = 0; i < 70000; ++i) bytes.push_back(static_cast<char>(i * 7 + i / 256));
  sim_test::WriteFile(scratch + "/job.bin", bytes);

  EXPECT_EQ(RunCommand(Rlpr(printer, scratch + "/job.bin")).exitCode, 0);
  std::vector<Job> jobs = simulator_.Jobs(printer);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].queue, "lp");
  const JobFile* data = nullptr;
  const JobFile* control = nullptr;
  for (const JobFile& file : jobs[0].files) (file.control ? control : data) = &file;
  ASSERT_TRUE(data && control);
  EXPECT_EQ(data->bytes, bytes);
  EXPECT_NE(control->bytes.find("\nf" + data->name + "\n"), std::string::npos) << control->bytes;

  // Another queue is refused and leaves no job.
  EXPECT_NE(RunCommand(Rlpr(printer, scratch + "/job.bin", "raw")).exitCode, 0);
  EXPECT_EQ(simulator_.Jobs(printer).size(), 1u);
}

TEST_F(LpdServerTest, FontDownloadsOverLpdReachTheFontTableAndBadOnesDoNot) {
  size_t printer = Start("127.0.0.42");
  const TempDir scratchDir;
  const std::string& scratch = scratchDir.path();
  std::string good = PjlDownload('0', "Mono", PclSoftFont("Mono Sans", 33));
  std::string cut = good.substr(0, good.size() - 40);
  sim_test::WriteFile(scratch + "/good.prn", good);
  sim_test::WriteFile(scratch + "/cut.prn", cut);

  EXPECT_EQ(RunCommand(Rlpr(printer, scratch + "/cut.prn")).exitCode, 0);
  EXPECT_EQ(RunCommand(Rlpr(printer, scratch + "/good.prn")).exitCode, 0);
  std::string walk = RunCommand(sim_test::SnmpTool("snmpwalk") + sim_test::SnmpTarget(simulator_, printer) +
                                " .1.3.6.1.4.1.32473.2.1.2.1.2").output;
  EXPECT_EQ(walk.find("\"Mono Sans\""), walk.rfind("\"Mono Sans\"")) << walk;
  EXPECT_NE(walk.find(".9 = STRING: \"Mono Sans\""), std::string::npos) << walk;
}

TEST_F(LpdServerTest, TheProgramsExchangeIsAcknowledgedStepByStep) {
  size_t printer = Start("127.0.0.43");
  const std::string data = PjlDownload('1', "Fine", PclSoftFont("Fine", 2));
  {
    Client client("127.0.0.43", simulator_.LpdPort(printer));
    for (const std::string& step : ProgramSteps(data)) {
      client.Send(step);
      EXPECT_EQ(client.ReadAck(), 0);
    }
  }
  // Once the client has gone, the job is complete and the font listed.
  for (int i = 0; i < 100 && !simulator_.Jobs(printer)[0].complete; ++i) usleep(10000);
  std::vector<Job> jobs = simulator_.Jobs(printer);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_TRUE(jobs[0].complete);
  ASSERT_EQ(jobs[0].files.size(), 2u);
  EXPECT_EQ(jobs[0].files[0].name, "cfA007GLY");
  EXPECT_EQ(jobs[0].files[1].bytes, data);
  EXPECT_EQ(simulator_.Fonts(printer).back().name, "Fine");

  Client state("127.0.0.43", simulator_.LpdPort(printer));
  state.Send("\x03lp\n");
  EXPECT_NE(state.ReadAll().find("lp is ready"), std::string::npos);
}

TEST_F(LpdServerTest, FaultsStrikeAtTheChosenStep) {
  size_t printer = Start("127.0.0.44");
  const uint16_t port = simulator_.LpdPort(printer);
  const std::vector<std::string> steps = ProgramSteps("plain text\n");
  for (LpdFailure failure : {LpdFailure::kNegativeAck, LpdFailure::kClose}) {
    for (int failing = 0; failing < 5; ++failing) {
      Faults faults;
      faults.lpdFailure = failure;
      faults.lpdFailureStep = static_cast<LpdStep>(failing);
      simulator_.SetFaults(printer, faults);
      Client client("127.0.0.44", port);
      for (int step = 0; step <= failing; ++step) {
        client.Send(steps[static_cast<size_t>(step)]);
        int ack = client.ReadAck();
        int expected = step < failing ? 0 : failure == LpdFailure::kNegativeAck ? 1 : -1;
        EXPECT_EQ(ack, expected) << "fault at " << failing << ", step " << step;
      }
    }
  }
  EXPECT_TRUE(simulator_.PrintedPages(printer).empty());

  Faults refused;
  refused.lpdRefused = true;
  simulator_.SetFaults(printer, refused);
  Client turnedAway("127.0.0.44", port);
  EXPECT_FALSE(turnedAway.connected());
  EXPECT_EQ(turnedAway.error(), ECONNREFUSED);
  simulator_.SetFaults(printer, Faults{});
  Client welcome("127.0.0.44", port);
  ASSERT_TRUE(welcome.connected());
  for (const std::string& step : steps) {
    welcome.Send(step);
    EXPECT_EQ(welcome.ReadAck(), 0);
  }
  EXPECT_EQ(simulator_.PrintedPages(printer), std::vector<std::string>{"document"});
}

TEST_F(LpdServerTest, OnlyTheLastJobsAndTheirFirstBytesAreKeptYetEachRunsWhole) {
  PrinterConfig config;
  config.address = "127.0.0.46";
  config.jobBytesKept = 100;
  config.jobsKept = 2;
  size_t printer = *simulator_.AddPrinter(config);
  simulator_.Start();
  const TempDir scratchDir;
  const std::string font = PclSoftFont("Wide", 40) + std::string(3000, 'w');
  const std::string job = PjlDownload('0', "Wide", font);
  sim_test::WriteFile(scratchDir.path() + "/wide.prn", job);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(RunCommand(Rlpr(printer, scratchDir.path() + "/wide.prn")).exitCode, 0);

  std::vector<Job> jobs = simulator_.Jobs(printer);
  ASSERT_EQ(jobs.size(), 2u);
  for (const Job& kept : jobs) {
    for (const JobFile& file : kept.files) {
      if (file.control) continue;
      EXPECT_EQ(file.size, job.size());
      EXPECT_EQ(file.bytes, job.substr(0, 100));
    }
  }
  EXPECT_EQ(simulator_.ReadFile(printer, Volume::kDisk, "pcl/fonts/Wide"), font);
  std::vector<std::string> log = simulator_.LogLines(printer);
  EXPECT_NE(std::find(log.begin(), log.end(), "received job 3 with 2 file(s)"), log.end());
}

}  // namespace
