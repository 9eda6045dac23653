// The directory of the program file, where the resource library may lie,
// and the data folder beside it or where installation put it, base of every
// data file (model profiles, font-list jobs, help). Nothing is written to
// either: temporary job files have a folder of their own (JobFolder).
//
// Set once at start-up on the user-interface thread; read-only afterwards,
// so any thread may read it.
#pragma once

#include <string>

// The directory without a trailing separator; empty before InitAppDirectory
// or when the program's path could not be obtained.
const char* AppDirectory();

// Fills AppDirectory from the program file's path, however long, and
// settles AppDataDirectory. Returns false, leaving both empty, when the path
// cannot be obtained.
bool InitAppDirectory();

// The folder of the data files: the program's own directory when they lie
// beside the program (as in the build tree), else the data folder of the
// installation, found from the program's directory through the installed
// layout. Empty before InitAppDirectory.
const char* AppDataDirectory();

// The program file's full path, however long; empty when it cannot be
// obtained.
std::string ProgramFilePath();

// The place of one of the program's own libraries: beside the program file
// when it is there, else in the installation's folder of them.
std::string PrivateLibraryPath(const std::string& fileName);

// The resource library's place (PrivateLibraryPath of its file).
std::string DefaultResourceLibraryPath();

// `programPath` with everything from its last separator on removed: the
// characters after it and the separator itself. Both '/' and '\' count as
// separators, so "C:\prog.exe" gives "C:" and "/opt/gly/bin/gly" gives
// "/opt/gly/bin". A path without a separator gives "".
std::string DirectoryOfProgram(const std::string& programPath);

// AppDirectory joined with `fileName` by '/'.
std::string AppFilePath(const char* fileName);

// AppDataDirectory joined with `fileName` by '/'.
std::string AppDataFilePath(const char* fileName);

// The help file, in the data folder; every dialog's Help opens it.
inline constexpr char kHelpFileName[] = "Gly.html";
