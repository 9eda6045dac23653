// The directory of the program file, base of every data file (model
// profiles, font-list jobs, help) and every temporary job file.
//
// Set once at start-up on the user-interface thread; read-only afterwards,
// so any thread may read it.
#pragma once

#include <string>

// The directory without a trailing separator; empty before InitAppDirectory
// or when the program's path could not be obtained.
const char* AppDirectory();

// Fills AppDirectory from the program file's path (/proc/self/exe, through
// the platform's GetModuleFileNameA). Returns false, leaving it empty, when
// the path cannot be obtained or does not fit in 260 bytes.
bool InitAppDirectory();

// `programPath` with everything from its last separator on removed: the
// characters after it and the separator itself. Both '/' and '\' count as
// separators, so "C:\prog.exe" gives "C:" and "/opt/gly/bin/gly" gives
// "/opt/gly/bin". A path without a separator gives "".
std::string DirectoryOfProgram(const std::string& programPath);

// AppDirectory joined with `fileName` by '/'.
std::string AppFilePath(const char* fileName);
