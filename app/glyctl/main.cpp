// glyctl: the program's jobs from a command line; no display needed.
#include <malloc.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "download/job_folder.h"
#include "download/job_port.h"
#include "glyctl/console.h"
#include "glyctl/exit_codes.h"
#include "glyctl/glyctl.h"
#include "platform/interrupt.h"
#include "printers/app_directory.h"
#include "printers/clock.h"

namespace {

// An interrupt ends glyctl with 128 + the signal. A command that makes job
// folders or exported files has them removed first, by a thread that waits
// for the signals, and removes those an earlier run left behind; the others
// need neither the thread nor the look through the temporary folder.
void PrepareInterrupts(bool makesFiles) {
  if (makesFiles) {
    PlatformStartInterruptCleanup();
    RemoveStaleJobFolders();
    return;
  }
  PlatformEndOnInterrupt();
}

}  // namespace

int main(int argc, char** argv) {
  // A listing allocates and frees large blocks in turn (v1 and v3 answers,
  // font lists, replies over PJL); with glibc's default thresholds each free
  // would give the pages back to the kernel and the next allocation would
  // fault them in again. A short-lived command keeps them instead.
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_MMAP_THRESHOLD, 16 << 20);
  GlyctlEnvironment environment{std::cout,
                                std::cerr,
                                ShowsProgress(isatty(STDERR_FILENO) == 1, std::getenv("TERM")),
                                SystemClock(),
                                [](const char* address, JobPort port, const JobFile& jobFile, const char* host, int job) {
                                  return SubmitJob(address, port, jobFile, host, job);
                                },
                                DefaultResourceLibraryPath(),
                                "",
                                PrepareInterrupts};
  int status = RunGlyctl(std::vector<std::string>(argv + 1, argv + argc), environment);
  // The last buffered bytes reach the file only at close; a full disk or a
  // closed pipe shows there.
  if (std::fclose(stdout) != 0 && status != kExitCannotWrite) {
    std::fprintf(stderr, "glyctl: cannot write standard output: %s\n", std::strerror(errno));
    status = kExitCannotWrite;
  }
  if (std::fclose(stderr) != 0) status = kExitCannotWrite;
  return status;
}
