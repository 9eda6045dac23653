// The glyctl program itself: help for every command, usage errors, and the
// progress bar drawn only when standard error is a terminal.
#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include "glyctl/commands.h"
#include "glyctl/exit_codes.h"
#include "glyctl_fixture.h"

namespace {

std::string Glyctl() { return std::string(getenv("GLY_BINARY_DIR")) + "/glyctl"; }

// Runs glyctl with `args`, its standard error on a terminal of its own;
// what the terminal showed, and the exit status.
std::pair<std::string, int> RunOnTerminal(const std::vector<std::string>& args) {
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child == 0) {
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);  // results away; the terminal keeps standard error
    std::vector<char*> argv{const_cast<char*>("glyctl")};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(Glyctl().c_str(), argv.data());
    _exit(127);
  }
  std::string shown;
  char buffer[1024];
  ssize_t got = 0;
  while ((got = read(terminal, buffer, sizeof buffer)) > 0) shown.append(buffer, static_cast<size_t>(got));
  close(terminal);
  int status = 0;
  waitpid(child, &status, 0);
  return {shown, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(GlyctlProgramTest, EveryCommandHasHelp) {
  const sim_test::CommandResult overview = sim_test::RunCommand(Glyctl() + " --help");
  EXPECT_EQ(overview.exitCode, kExitOk);
  for (const CommandInfo& command : GlyctlCommands()) {
    EXPECT_NE(overview.output.find(std::string("  ") + command.name), std::string::npos) << command.name;
    const sim_test::CommandResult help = sim_test::RunCommand(Glyctl() + " " + command.name + " --help");
    EXPECT_EQ(help.exitCode, kExitOk) << command.name;
    EXPECT_EQ(help.output.rfind(std::string("Usage: glyctl ") + command.name + " ", 0), 0u) << help.output;
    EXPECT_NE(help.output.find("Exit status:"), std::string::npos) << command.name;
  }
  EXPECT_EQ(sim_test::RunCommand(Glyctl() + " 2>/dev/null").exitCode, kExitUsage);
  EXPECT_EQ(sim_test::RunCommand(Glyctl() + " frobnicate 2>/dev/null").exitCode, kExitUsage);
  EXPECT_EQ(sim_test::RunCommand(Glyctl() + " fonts --nonsense 2>/dev/null").exitCode, kExitUsage);
}

TEST_F(GlyctlTest, TheProgressBarIsDrawnOnlyOnATerminal) {
  StartPrinters("127.88.30", std::vector<printer_sim::PrinterConfig>(2));
  const std::string font = scratch.file("Gothic.sfp");
  sim_test::WriteFile(font, sim_test::PclSoftFont("Gothic", 12));
  // The program reaches both printers at one LPD port of its own choosing.
  EnvOverride lprPort("GLY_LPR_PORT", std::to_string(simulator.LpdPort(0)));

  const std::vector<std::string> args = {"download", font, "--parallel", "2", "--printers", "127.88.30.10",
                                         "127.88.30.11"};
  const auto [shown, status] = RunOnTerminal(args);
  EXPECT_EQ(status, kExitOk) << shown;
  EXPECT_NE(shown.find("Downloading [" + std::string(30, '#') + "] 2/2"), std::string::npos) << shown;

  std::string command = Glyctl();
  for (const std::string& arg : args) command += " " + arg;
  const sim_test::CommandResult piped = sim_test::RunCommand(command + " 2>&1 >/dev/null");
  EXPECT_EQ(piped.exitCode, kExitOk);
  // Nothing of the bar; a sanitizer's own report may follow on the stream.
  EXPECT_EQ(piped.output.find("Downloading"), std::string::npos) << piped.output;
  EXPECT_EQ(piped.output.find('\r'), std::string::npos) << piped.output;
}

}  // namespace
