// glyctl: the program's jobs from a command line; no display needed.
#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "download/lpr.h"
#include "glyctl/glyctl.h"
#include "shell/app_directory.h"
#include "shell/clock.h"

int main(int argc, char** argv) {
  const char* tmp = std::getenv("TMPDIR");
  GlyctlEnvironment environment{std::cout,
                                std::cerr,
                                isatty(STDERR_FILENO) == 1,
                                SystemClock(),
                                [](const char* address, const char* jobFile, const char* host, int job) {
                                  return SubmitLprJob(address, jobFile, host, job);
                                },
                                DefaultResourceLibraryPath(),
                                tmp && *tmp ? tmp : "/tmp"};
  const int status = RunGlyctl(std::vector<std::string>(argv + 1, argv + argc), environment);
  std::cout.flush();
  return status;
}
