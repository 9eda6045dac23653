// What dialogs ask of the desktop: the wait cursor over the whole program,
// and a local file (the help) opened by its usual viewer.
#pragma once

#include <string>

void SetProgramWaitCursor(bool busy);
void OpenLocalFile(const std::string& path);
