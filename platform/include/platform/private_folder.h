// Folders for a process's temporary files that no other user can reach.
#pragma once

#include "platform/types.h"

PLATFORM_BEGIN_DECLS

// Makes a new, empty folder that only the calling user can enter and
// copies its full path into `buffer`. The name is `prefix` followed by six
// random characters, and the folder is made afresh: a name that already
// exists (a symbolic link or another user's folder planted there) is never
// taken over. The folder lies in `parent` when that is given; with a NULL
// `parent`, in the user's runtime folder when $XDG_RUNTIME_DIR names a real
// directory (not a symbolic link) of this user that nobody else may enter,
// else in $TMPDIR when that is an absolute path, else in /tmp. Returns the path's length without the NUL; 0 on
// failure, with the last error ERROR_INVALID_PARAMETER (no prefix, or one
// with '/'), ERROR_INSUFFICIENT_BUFFER (the path does not fit; no folder is
// left behind) or ERROR_PATH_NOT_FOUND (no folder could be made). Any
// thread may call.
PLATFORM_API DWORD PlatformCreatePrivateFolder(const char* parent, const char* prefix, char* buffer,
                                              DWORD size);

// Removes `folder` and everything in it. Symbolic links inside are removed,
// never followed. TRUE when the folder is gone (or was never there).
PLATFORM_API BOOL PlatformRemoveFolderTree(const char* folder);

PLATFORM_END_DECLS
