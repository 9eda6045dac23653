// The raw and IPP job ports, and the no-progress limit every port keeps.
// IPP is checked against ippeveprinter, which keeps what it is sent.
#include "download/job_port.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "fake_clock.h"
#include "platform/winsock_errors.h"
#include "hostile_ipp_printer.h"
#include "ipp_peer.h"
#include "job_test_support.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kPjlJob = "\x1b%-12345X@PJL\r\n@PJL FSDOWNLOAD FORMAT:BINARY SIZE=4 NAME=\"0:\\\\f\"\r\n"
                            "\x1b(s0W\x00\x01\x1b%-12345X";
const std::string kPostScriptJob = "%!PS-Adobe-2.0\n/Courier findfont 12 scalefont setfont\nshowpage\n";

std::string Pattern(size_t size) {
  std::string data(size, '\0');
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>(i * 13 + i / 509);
  return data;
}

int OpenDescriptors() {
  return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

class IppJobPortTest : public ::testing::Test {
 protected:
  JobOutcome Send(const IppPeer& printer, const std::string& name, const std::string& bytes) {
    const std::string path = dir.file(name);
    WriteBytes(path, bytes);
    JobPortSettings settings;
    settings.ippPort = printer.port();
    return SubmitJob("127.0.0.1", JobPort::Ipp, *OpenJobFile(path), "GLY", 0, settings);
  }

  TempDir dir;
  TempDir spool;
};

TEST_F(IppJobPortTest, DocumentsArriveByteForByteInTheFormatOfTheirJob) {
  IppPeer printer(spool.path(), {"-c", "/bin/true"});  // prints at once, not after seconds
  ASSERT_TRUE(printer.running());
  const std::string printFile = "\x1b" "E" + Pattern(300 * 1024);  // PCL, several chunks
  for (const auto& [name, bytes, extension] :
       {std::tuple{"tmpPrintFile.tmp", kPjlJob, ".pcl"}, std::tuple{"tmpPsFile.tmp", kPostScriptJob, ".ps"},
        std::tuple{"report.prn", printFile, ".pcl"}}) {
    SCOPED_TRACE(name);
    const size_t before = printer.Documents().size();
    const JobOutcome outcome = Send(printer, name, bytes);
    EXPECT_TRUE(outcome.sent()) << outcome.code << " " << outcome.reasons;
    const std::vector<fs::path> documents = printer.Documents();
    ASSERT_EQ(documents.size(), before + 1);
    const fs::path& kept = *std::max_element(documents.begin(), documents.end(), [](auto& a, auto& b) {
      return fs::last_write_time(a) < fs::last_write_time(b);
    });
    EXPECT_EQ(kept.extension(), extension);
    EXPECT_TRUE(ReadBytes(kept) == bytes) << kept;
  }
}

TEST_F(IppJobPortTest, RefusedAndAbortedJobsFailWithThePrintersReasonsAndARefusedConnectionWithItsError) {
  IppPeer printer(spool.path(), {"-c", "/bin/false"});
  ASSERT_TRUE(printer.running());
  const JobOutcome outcome = Send(printer, "tmpPrintFile.tmp", kPjlJob);
  EXPECT_EQ(outcome.code, JOB_ERR_IPP_ABORTED) << outcome.reasons;
  EXPECT_FALSE(outcome.reasons.empty());
  EXPECT_EQ(JobFailureStatus(outcome), "The printer aborted the print job. (" + outcome.reasons + ")");

  // A print file in no format the printer can tell is refused at Print-Job.
  const JobOutcome unknown = Send(printer, "report.prn", Pattern(1000));
  EXPECT_EQ(unknown.code, JOB_ERR_IPP_REFUSED);
  EXPECT_NE(unknown.reasons.find("document-format"), std::string::npos) << unknown.reasons;

  JobPortSettings nobody;
  nobody.ippPort = 9;  // discard: nothing listens on loopback
  WriteBytes(dir.file("job"), kPjlJob);
  EXPECT_EQ(SubmitJob("127.0.0.1", JobPort::Ipp, *OpenJobFile(dir.file("job")), "GLY", 0, nobody).code,
            WSAECONNREFUSED);
}

// A printer that takes the connection and then reads nothing, with a small
// receive buffer so the sender's data backs up at once.
class SilentListener {
 public:
  SilentListener() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int small = 4096;
    setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(fd_, 4);
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~SilentListener() { close(fd_); }
  uint16_t port() const { return port_; }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

TEST(JobPortNoProgress, APrinterThatStopsTakingDataFailsTheJobAfterThirtySecondsOnTheClock) {
  TempDir dir;
  // Far more than the socket buffers hold.
  WriteBytes(dir.file("big.prn"), Pattern(16 * 1024 * 1024));
  const int descriptors = OpenDescriptors();
  for (JobPort port : {JobPort::Raw, JobPort::Lpr}) {
    SCOPED_TRACE(JobPortName(port));
    SilentListener printer;
    FakeClock clock;
    JobPortSettings settings;
    settings.clock = &clock;
    settings.rawPort = settings.lprPort = printer.port();
    std::atomic<bool> done{false};
    std::thread time([&] {
      while (!done) {
        clock.Advance(1000);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    });
    const uint64_t start = clock.NowMs();
    const JobOutcome outcome = SubmitJob("127.0.0.1", port, *OpenJobFile(dir.file("big.prn")), "GLY", 0, settings);
    done = true;
    time.join();
    EXPECT_EQ(outcome.code, JOB_ERR_STOPPED_TAKING_DATA);
    EXPECT_EQ(JobFailureStatus(outcome), "The printer stopped taking data.");
    EXPECT_GE(clock.NowMs() - start, kNoProgressLimitMs);
  }
  EXPECT_EQ(OpenDescriptors(), descriptors);  // every connection was closed
}

// Printers that answer what no real one should. Each ends the job with its
// own text, nothing is ever sent that the user did not give, and nothing a
// printer says reaches a status raw.
class HostileIppTest : public ::testing::Test {
 protected:
  JobOutcome Send(const HostileIppPrinter& printer) {
    WriteBytes(dir.file("tmpPsFile.tmp"), kPostScriptJob);
    JobPortSettings settings;
    settings.clock = &clock;
    settings.ippPort = printer.port();
    return SubmitJob("127.0.0.1", JobPort::Ipp, *OpenJobFile(dir.file("tmpPsFile.tmp")), "GLY", 0, settings);
  }

  // A printer that takes PostScript and gives its job id 7, then answers
  // Get-Job-Attributes with `job`.
  static HostileIppPrinter::Answer TakingJobs(std::function<std::string(const HostileIppPrinter::Request&)> job) {
    return [job](const HostileIppPrinter::Request& request) {
      switch (request.operation()) {
        case IPP_OP_GET_PRINTER_ATTRIBUTES:
          return HostileIppPrinter::IppAnswer(IPP_STATUS_OK, [](ipp_t* answer) {
            ippAddString(answer, IPP_TAG_PRINTER, IPP_TAG_MIMETYPE, "document-format-supported", nullptr,
                         "application/postscript");
          });
        case IPP_OP_PRINT_JOB:
          return HostileIppPrinter::IppAnswer(IPP_STATUS_OK, [](ipp_t* answer) {
            ippAddInteger(answer, IPP_TAG_JOB, IPP_TAG_INTEGER, "job-id", 7);
          });
        default: return job(request);
      }
    };
  }
  static std::string JobState(ipp_jstate_t state, const std::string& reason) {
    return HostileIppPrinter::IppAnswer(IPP_STATUS_OK, [&](ipp_t* answer) {
      ippAddInteger(answer, IPP_TAG_JOB, IPP_TAG_ENUM, "job-state", state);
      ippAddString(answer, IPP_TAG_JOB, IPP_TAG_KEYWORD, "job-state-reasons", nullptr, reason.c_str());
    });
  }

  TempDir dir;
  FakeClock clock;
};

TEST_F(HostileIppTest, APrinterThatAsksForCredentialsGetsNoneAndTheJobFails) {
  for (const std::string& refusal :
       {HostileIppPrinter::Http("401 Unauthorized", "", "WWW-Authenticate: Basic realm=\"printer\"\r\n"),
        HostileIppPrinter::Http("401 Unauthorized", "", "WWW-Authenticate: Digest realm=\"p\", nonce=\"1\"\r\n"),
        HostileIppPrinter::Http("403 Forbidden", "")}) {
    HostileIppPrinter printer([&](const HostileIppPrinter::Request&) { return refusal; });
    const JobOutcome outcome = Send(printer);
    EXPECT_EQ(outcome.code, JOB_ERR_IPP_CREDENTIALS) << refusal << outcome.code << " " << outcome.reasons;
    EXPECT_EQ(JobFailureStatus(outcome), "The printer asks for a user name and password.");
    EXPECT_FALSE(printer.sawCredentials());
  }
}

TEST_F(HostileIppTest, AnAnswerThatIsNotIppHasItsOwnText) {
  for (const std::string& garbage :
       {HostileIppPrinter::Http("200 OK", "\x02\x00\x00", "Content-Type: application/ipp\r\n"),
        std::string("SSH-2.0-OpenSSH\r\n\r\n")}) {
    HostileIppPrinter printer([&](const HostileIppPrinter::Request&) { return garbage; });
    const JobOutcome outcome = Send(printer);
    EXPECT_EQ(JobFailureStatus(outcome), "The printer's IPP answer could not be read.") << outcome.code;
  }
  // A printer that closes the connection is not taken for one that answers garbage.
  HostileIppPrinter closing([](const HostileIppPrinter::Request&) { return std::string(); });
  EXPECT_EQ(Send(closing).code, WSAECONNRESET);
}

TEST_F(HostileIppTest, AJobIsFollowedForFiveMinutesAfterItsStateLastChanged) {
  // Its reasons change at every poll, its state never: given up.
  HostileIppPrinter stuck(TakingJobs([](const HostileIppPrinter::Request& request) {
    return JobState(IPP_JSTATE_PROCESSING, "x-busy-" + std::to_string(request.number));
  }));
  const uint64_t start = clock.NowMs();
  const JobOutcome outcome = Send(stuck);
  EXPECT_EQ(outcome.code, JOB_ERR_IPP_JOB_STUCK);
  EXPECT_EQ(JobFailureStatus(outcome).rfind(LprResultMessage(JOB_ERR_IPP_JOB_STUCK), 0), 0u);
  EXPECT_GE(clock.NowMs() - start, kIppJobStateLimitMs);
  EXPECT_LT(clock.NowMs() - start, kIppJobStateLimitMs + 5000);

  // Pending for four minutes, processing for four more, then done.
  const uint64_t sent = clock.NowMs();
  HostileIppPrinter slow(TakingJobs([&](const HostileIppPrinter::Request&) {
    const uint64_t elapsed = clock.NowMs() - sent;
    return elapsed < 240000 ? JobState(IPP_JSTATE_PENDING, "none")
           : elapsed < 480000 ? JobState(IPP_JSTATE_PROCESSING, "job-printing")
                              : JobState(IPP_JSTATE_COMPLETED, "job-completed-successfully");
  }));
  EXPECT_TRUE(Send(slow).sent());
}

TEST_F(HostileIppTest, APrintersStatusMessageReachesNoStatusWithControlsOrBidiOverrides) {
  HostileIppPrinter printer([](const HostileIppPrinter::Request& request) {
    if (request.operation() != IPP_OP_PRINT_JOB) return HostileIppPrinter::IppAnswer(IPP_STATUS_OK);
    return HostileIppPrinter::IppAnswer(IPP_STATUS_ERROR_DOCUMENT_FORMAT_NOT_SUPPORTED, [](ipp_t* answer) {
      ippAddString(answer, IPP_TAG_OPERATION, IPP_TAG_TEXT, "status-message", nullptr,
                   "\x1b[2J\xc2\x9b" "2J\xe2\x80\xae" "Downloaded\r\x7f");
    });
  });
  const JobOutcome outcome = Send(printer);
  EXPECT_EQ(outcome.code, JOB_ERR_IPP_REFUSED);
  EXPECT_NE(outcome.reasons.find("?[2J?2J?Downloaded??"), std::string::npos) << outcome.reasons;
}

}  // namespace
