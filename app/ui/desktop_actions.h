// What dialogs ask of the desktop: the wait cursor over the whole program.
#pragma once

void SetProgramWaitCursor(bool busy);
