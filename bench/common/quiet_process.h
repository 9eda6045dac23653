// A program run as a whole process, its output thrown away: what the
// benchmarks that compare us with a peer tool time, without a shell in
// between that one side would pay for and the other not.
#pragma once

#include <string>
#include <vector>

struct QuietRun {
  int status = -1;        // the exit status; -1 when it did not start or did not exit
  double ms = 0;          // from the start to the end of the process
  double cpuSeconds = 0;  // user and system time of the process
  double peakMiB = 0;     // its largest resident size
};

// Runs `argv` (the program found on PATH when it has no slash) with the
// benchmark's environment, or with `environment` alone when given.
QuietRun RunQuietly(std::vector<std::string> argv, const std::vector<std::string>* environment = nullptr);
