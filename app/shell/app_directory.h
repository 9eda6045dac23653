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

// Fills AppDirectory from the program file's path, however long. Returns
// false, leaving it empty, when the path cannot be obtained.
bool InitAppDirectory();

// The program file's full path, however long; empty when it cannot be
// obtained.
std::string ProgramFilePath();

// The resource library's place: beside the program file.
std::string DefaultResourceLibraryPath();

// `programPath` with everything from its last separator on removed: the
// characters after it and the separator itself. Both '/' and '\' count as
// separators, so "C:\prog.exe" gives "C:" and "/opt/gly/bin/gly" gives
// "/opt/gly/bin". A path without a separator gives "".
std::string DirectoryOfProgram(const std::string& programPath);

// AppDirectory joined with `fileName` by '/'.
std::string AppFilePath(const char* fileName);
