// glyctl, the program's jobs from a command line: finding printers, listing
// and deleting their fonts, downloading and exporting resources, making a
// printer print its font list, and the font list report as a PDF file.
//
// Every command runs on the program's own logic; this layer only reads the
// command line, answers the logic's questions from it and prints results.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "download/download_worker.h"

class Clock;

// What a run takes from its process: main gives the real streams, clock and
// LPR client; tests give their own.
struct GlyctlEnvironment {
  std::ostream& out;
  std::ostream& err;
  bool errIsTerminal = false;
  Clock& clock;
  JobSubmitter submit;              // SubmitLprJob
  std::string resourceLibraryPath;  // DefaultResourceLibraryPath()
  // Private job folders are made in it; when empty, in the runtime or the
  // temporary folder (JobFolder).
  std::string scratchFolder;
  // Called before a command runs, with whether it makes job folders or
  // exported files; before any thread of the command starts.
  std::function<void(bool makesFiles)> prepareInterrupts = {};
};

// Runs the command in `args` (the words after the program's name) and
// returns the exit status (exit_codes.h).
int RunGlyctl(const std::vector<std::string>& args, GlyctlEnvironment& environment);
