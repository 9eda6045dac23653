// The printer-sim program: printers from options and from a configuration
// file, one line per printer, until it is told to stop.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "sim_test_support.h"
#include "temp_dir.h"

namespace {

struct PrinterLine {
  std::string address;
  std::string snmpPort;
  std::string lpdPort;
  std::string rest;
};

class ProgramTest : public testing::Test {
 protected:
  void TearDown() override {
    if (pid_ > 0) Stop();
    if (out_) fclose(out_);
  }

  void Launch(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), std::string(std::getenv("GLY_BINARY_DIR")) + "/printer-sim");
    int pipes[2];
    ASSERT_EQ(pipe(pipes), 0);
    pid_ = fork();
    if (pid_ == 0) {
      dup2(pipes[1], 1);
      close(pipes[0]);
      std::vector<char*> argv;
      for (std::string& argument : arguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(pipes[1]);
    out_ = fdopen(pipes[0], "r");
  }

  PrinterLine ReadLine() {
    char buffer[512] = {};
    if (!fgets(buffer, sizeof buffer, out_)) return {};
    std::istringstream line(buffer);
    PrinterLine printer;
    std::string word;
    line >> printer.address >> word >> printer.snmpPort >> word >> printer.lpdPort;
    std::getline(line, printer.rest);
    return printer;
  }

  std::string Get(const PrinterLine& printer, const std::string& oid, const std::string& community = "vorpal") {
    return sim_test::RunCommand(sim_test::SnmpTool("snmpget", community) + "-Oqv " + printer.address + ":" +
                                printer.snmpPort + " " + oid)
        .output;
  }

  int Stop() {
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  pid_t pid_ = -1;
  FILE* out_ = nullptr;
  TempDir scratchDir_;
  std::string scratch_;
};

TEST_F(ProgramTest, OptionsStartConsecutivePrintersOfTheModels) {
  Launch({"--count", "2", "--first", "127.0.0.51", "--snmp-port", "0", "--lpd-port", "0", "--raw-port", "0",
          "--storage", "disk", "--fonts", "3"});
  PrinterLine first = ReadLine();
  PrinterLine second = ReadLine();
  EXPECT_EQ(first.address, "127.0.0.51");
  EXPECT_EQ(second.address, "127.0.0.52");
  // Each printer plays the next model of the program's model table.
  EXPECT_EQ(Get(first, ".1.3.6.1.2.1.1.2.0"), ".1.3.6.1.4.1.32473.1.1.1\n");
  EXPECT_EQ(Get(second, ".1.3.6.1.2.1.1.2.0"), ".1.3.6.1.4.1.32473.1.1.2\n");
  EXPECT_EQ(Get(second, ".1.3.6.1.2.1.1.1.0", "quillet"), "\"Quill 4500 PS (virtual printer)\"\n");
  EXPECT_EQ(Get(first, ".1.3.6.1.4.1.32473.2.1.1.0"), "6\n");
  EXPECT_EQ(Get(first, ".1.3.6.1.2.1.25.2.3.1.2.1"), ".1.3.6.1.2.1.25.2.1.4\n");
  EXPECT_EQ(Stop(), 0);
}

TEST_F(ProgramTest, AConfigurationFileDescribesEachPrinter) {
  scratch_ = scratchDir_.path();
  sim_test::WriteFile(scratch_ + "/printers.conf",
                      "# two kinds of printer\n"
                      "[printer]\n"
                      "address = 127.0.0.55\n"
                      "model = Slate 8300\n"
                      "name = Basement\n"
                      "read-community = lookin\n"
                      "storage = none   # a comment after a value\n"
                      "postscript-fonts = 1\n"
                      "pcl-fonts = 0\n"
                      "\n"
                      "[printer]\n"
                      "system-id = 1.3.6.1.4.1.99999.7\n"
                      "job-pin = 4711      # the job side's personalities\n"
                      "flash-folders = no\n"
                      "mkdir-parents = off\n"
                      "store-delay-ms = 3000\n"
                      "count = 2\n");
  Launch({"--config", scratch_ + "/printers.conf", "--first", "127.0.0.56", "--snmp-port", "0", "--lpd-port",
          "0", "--raw-port", "0"});
  PrinterLine basement = ReadLine();
  PrinterLine other = ReadLine();
  PrinterLine third = ReadLine();
  EXPECT_EQ(basement.address, "127.0.0.55");
  EXPECT_EQ(other.address, "127.0.0.56");
  EXPECT_EQ(third.address, "127.0.0.57");
  EXPECT_EQ(Get(basement, ".1.3.6.1.2.1.1.5.0", "lookin"), "\"Basement\"\n");
  EXPECT_EQ(Get(basement, ".1.3.6.1.2.1.1.2.0", "lookin"), ".1.3.6.1.4.1.32473.1.2.2\n");
  EXPECT_EQ(Get(basement, ".1.3.6.1.4.1.32473.2.1.1.0", "lookin"), "1\n");
  EXPECT_NE(Get(basement, ".1.3.6.1.2.1.25.2.3.1.2.1", "lookin").find("No Such Instance"), std::string::npos);
  EXPECT_EQ(Get(third, ".1.3.6.1.2.1.1.2.0"), ".1.3.6.1.4.1.99999.7\n");
  EXPECT_EQ(Stop(), 0);
}

TEST_F(ProgramTest, BadOptionsAreRefusedWithTheUsage) {
  auto result = sim_test::RunCommand(std::string(std::getenv("GLY_BINARY_DIR")) +
                                     "/printer-sim --storage tape 2>&1");
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.output.find("usage: printer-sim"), std::string::npos);
}

}  // namespace
