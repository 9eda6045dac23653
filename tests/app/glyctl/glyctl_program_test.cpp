// The glyctl program itself: help for every command, usage errors, and the
// progress bar drawn only when standard error is a terminal.
#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "glyctl/commands.h"
#include "glyctl/exit_codes.h"
#include "glyctl_fixture.h"
#include "hostile_ipp_printer.h"

namespace {

pid_t StartGlyctl(const std::vector<std::string>& args) {
  const std::string program = GlyctlProgram();
  const pid_t child = fork();
  if (child == 0) {
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);
    std::vector<char*> argv{const_cast<char*>("glyctl")};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  return child;
}

// Runs glyctl with `args`, its standard error on a terminal of its own;
// what the terminal showed, and the exit status (-1 when it was still
// running after a minute, waiting on the terminal, and was killed).
std::pair<std::string, int> RunOnTerminal(const std::vector<std::string>& args) {
  const std::string program = GlyctlProgram();
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child == 0) {
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);  // results away; the terminal keeps standard error
    std::vector<char*> argv{const_cast<char*>("glyctl")};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  std::string shown;
  char buffer[1024];
  ssize_t got = 0;
  pollfd output{terminal, POLLIN, 0};
  while (poll(&output, 1, 60000) > 0 && (got = read(terminal, buffer, sizeof buffer)) > 0)
    shown.append(buffer, static_cast<size_t>(got));
  if (got > 0) kill(child, SIGKILL);
  close(terminal);
  int status = 0;
  waitpid(child, &status, 0);
  return {shown, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(GlyctlProgramTest, EveryCommandHasHelp) {
  const sim_test::CommandResult overview = sim_test::RunCommand(GlyctlProgram() + " --help");
  EXPECT_EQ(overview.exitCode, kExitOk);
  for (const CommandInfo& command : GlyctlCommands()) {
    EXPECT_NE(overview.output.find(std::string("  ") + command.name), std::string::npos) << command.name;
    const sim_test::CommandResult help = sim_test::RunCommand(GlyctlProgram() + " " + command.name + " -h");
    EXPECT_EQ(help.exitCode, kExitOk) << command.name;
    EXPECT_EQ(help.output.rfind(std::string("Usage: glyctl ") + command.name + " ", 0), 0u) << help.output;
    // Its own options; the shared ones once, elsewhere.
    EXPECT_NE(help.output.find("glyctl help options"), std::string::npos) << command.name;
    EXPECT_EQ(help.output.find("Exit status:"), std::string::npos) << command.name;
  }
  const sim_test::CommandResult shared = sim_test::RunCommand(GlyctlProgram() + " help options");
  EXPECT_EQ(shared.exitCode, kExitOk);
  EXPECT_NE(shared.output.find("-t, --timeout SECONDS"), std::string::npos) << shared.output;
  EXPECT_NE(shared.output.find("Exit status:"), std::string::npos) << shared.output;
  EXPECT_EQ(sim_test::RunCommand(GlyctlProgram() + " fonts -V").output, "glyctl 0.1.0\n");
  EXPECT_EQ(sim_test::RunCommand(GlyctlProgram() + " 2>/dev/null").exitCode, kExitUsage);
  EXPECT_EQ(sim_test::RunCommand(GlyctlProgram() + " frobnicate 2>/dev/null").exitCode, kExitUsage);
  EXPECT_EQ(sim_test::RunCommand(GlyctlProgram() + " fonts --nonsense 2>/dev/null").exitCode, kExitUsage);
}

TEST_F(GlyctlTest, TheProgressBarIsDrawnOnlyOnATerminal) {
  StartPrinters("127.88.30", std::vector<printer_sim::PrinterConfig>(2));
  const std::string font = scratch.file("Gothic.sfp");
  sim_test::WriteFile(font, sim_test::PclSoftFont("Gothic", 12));
  // The program reaches both printers at one LPD port of its own choosing.
  EnvOverride lprPort("GLY_LPR_PORT", std::to_string(simulator.LpdPort(0)));

  const std::vector<std::string> args = {"download", font, "--parallel", "2", "--printers", "127.88.30.10",
                                         "127.88.30.11"};
  const EnvOverride terminal("TERM", "xterm");
  const auto [shown, status] = RunOnTerminal(args);
  EXPECT_EQ(status, kExitOk) << shown;
  EXPECT_NE(shown.find("Downloading [" + std::string(30, '#') + "] 2/2"), std::string::npos) << shown;
  {
    const EnvOverride dumb("TERM", "dumb");
    const auto [plain, plainStatus] = RunOnTerminal(args);
    EXPECT_EQ(plainStatus, kExitOk) << plain;
    EXPECT_EQ(plain.find("Downloading"), std::string::npos) << plain;
    EXPECT_EQ(plain.find("\x1b[K"), std::string::npos) << plain;
  }

  // The search, the check and the reading of what was found show theirs too.
  const auto [discovered, discoverStatus] = RunOnTerminal({"discover", "127.88.30.8/29", "-t", "0.2", "-r", "0"});
  EXPECT_EQ(discoverStatus, kExitOk) << discovered;
  EXPECT_NE(discovered.find("Searching 127.88.30.8/29 ..."), std::string::npos) << discovered;
  EXPECT_NE(discovered.find("Reading [" + std::string(30, '#') + "] 2/2"), std::string::npos) << discovered;
  const auto [checked, checkStatus] = RunOnTerminal({"check", font, "--printers", "127.88.30.10", "127.88.30.11"});
  EXPECT_EQ(checkStatus, kExitOk) << checked;
  EXPECT_NE(checked.find("Checking [" + std::string(30, '#') + "] 2/2"), std::string::npos) << checked;
  {
    const EnvOverride dumb("TERM", "dumb");
    EXPECT_EQ(RunOnTerminal({"discover", "127.88.30.8/29", "-t", "0.2", "-r", "0"}).first.find("\x1b[K"),
              std::string::npos);
  }

  std::string command = GlyctlProgram();
  for (const std::string& arg : args) command += " " + arg;
  const sim_test::CommandResult piped = sim_test::RunCommand(command + " 2>&1 >/dev/null");
  EXPECT_EQ(piped.exitCode, kExitOk);
  // Nothing of the bar; a sanitizer's own report may follow on the stream.
  EXPECT_EQ(piped.output.find("Downloading"), std::string::npos) << piped.output;
  EXPECT_EQ(piped.output.find('\r'), std::string::npos) << piped.output;
}

// A printer that asks for a password gets none, and glyctl asks for none on
// its terminal: the download ends with its own status.
TEST_F(GlyctlTest, AnIppPrinterAskingForAPasswordMakesNoPromptOnTheTerminal) {
  StartPrinters("127.88.32", std::vector<printer_sim::PrinterConfig>(1));
  HostileIppPrinter printer(
      [](const HostileIppPrinter::Request&) {
        return HostileIppPrinter::Http("401 Unauthorized", "", "WWW-Authenticate: Basic realm=\"printer\"\r\n");
      },
      "127.88.32.10");
  EnvOverride ippPort("GLY_IPP_PORT", std::to_string(printer.port()));
  const std::string font = scratch.file("Gothic.sfp");
  sim_test::WriteFile(font, sim_test::PclSoftFont("Gothic", 12));
  const auto [shown, status] = RunOnTerminal({"download", font, "--port", "ipp", "--printers", "127.88.32.10"});
  EXPECT_EQ(status, kExitNeedsCredentials) << shown;
  EXPECT_EQ(shown.find("assword"), std::string::npos) << shown;
  EXPECT_GT(printer.requests(), 0);
  EXPECT_FALSE(printer.sawCredentials());
}

// An interrupted download takes its job folder, font data and all, along;
// a folder an ended run left behind goes at the next start.
TEST_F(GlyctlTest, InterruptedDownloadLeavesNoJobFolder) {
  namespace fs = std::filesystem;
  StartPrinters("127.88.31", std::vector<printer_sim::PrinterConfig>(1));
  const std::string font = scratch.file("Gothic.sfp");
  sim_test::WriteFile(font, sim_test::PclSoftFont("Gothic", 12));
  // A printer that takes the connection and never acknowledges the job.
  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  inet_pton(AF_INET, "127.88.31.10", &address.sin_addr);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 8), 0);
  socklen_t length = sizeof address;
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  EnvOverride lprPort("GLY_LPR_PORT", std::to_string(ntohs(address.sin_port)));
  const std::string runtime = scratch.file("runtime");
  fs::create_directory(runtime);
  fs::permissions(runtime, fs::perms::owner_all);
  EnvOverride runtimeDir("XDG_RUNTIME_DIR", runtime);

  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    const pid_t ended = StartGlyctl({"--version"});
    waitpid(ended, nullptr, 0);
    const std::string left = runtime + "/gly-jobs-" + std::to_string(ended) + "-abcdef";
    fs::create_directory(left);
    fs::permissions(left, fs::perms::owner_all);

    const pid_t child = StartGlyctl({"download", font, "--printers", "127.88.31.10"});
    bool sending = false;
    for (int tries = 0; tries < 1000 && !sending; ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      for (const auto& entry : fs::directory_iterator(runtime))
        sending = sending || fs::exists(entry.path() / "tmpPrintFile.tmp");
    }
    EXPECT_TRUE(sending) << signal;
    kill(child, signal);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal) << signal << " " << status;
    EXPECT_TRUE(fs::is_empty(runtime)) << signal;
  }
  close(listener);
}

}  // namespace
