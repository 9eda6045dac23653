// Folders for a process's temporary files that no other user can reach, and
// the files made in them.
#pragma once

#include "platform/types.h"

PLATFORM_BEGIN_DECLS

// Makes a new, empty folder that only the calling user can enter and
// copies its full path into `buffer`. The name is `prefix`, the process id,
// '-' and six random characters, so that a later run can tell whose folder
// it was (PlatformRemoveStalePrivateFolders). The folder is made afresh: a
// name that already exists (a symbolic link or another user's folder
// planted there) is never taken over.
//
// It is made only in a folder where nobody else can move or replace it: a
// real directory (not a symbolic link) either owned by this user and closed
// to everybody else, or owned by root with the sticky bit set (as /tmp is).
// With a `parent`, there or nowhere; with a NULL `parent`, the first such
// folder of $XDG_RUNTIME_DIR, $TMPDIR and /tmp.
//
// Returns the path's length without the NUL; 0 on failure, with the last
// error ERROR_INVALID_PARAMETER (no prefix, or one with '/'),
// ERROR_INSUFFICIENT_BUFFER (the path does not fit; no folder is left
// behind), ERROR_ACCESS_DENIED (no folder fit to hold it) or
// ERROR_PATH_NOT_FOUND (the folder could not be made). Any thread may call.
PLATFORM_API DWORD PlatformCreatePrivateFolder(const char* parent, const char* prefix, char* buffer,
                                              DWORD size);

// Removes the folders named `prefix` + pid + '-' + six characters that this
// user's processes left in the folders PlatformCreatePrivateFolder uses
// (`parent`, or the runtime and temporary folders) and whose process no
// longer runs. Only real directories owned by this user are removed; the
// number removed is returned.
PLATFORM_API DWORD PlatformRemoveStalePrivateFolders(const char* parent, const char* prefix);

// Removes `folder` and everything in it. Symbolic links inside are removed,
// never followed. TRUE when the folder is gone (or was never there).
PLATFORM_API BOOL PlatformRemoveFolderTree(const char* folder);

// Opens the private folder `folder` for the calls below: a descriptor, or
// -1 when it is not a real directory of this user closed to everybody else.
PLATFORM_API int PlatformOpenPrivateFolder(const char* folder);

// Makes the file `name` in the open folder `folder` afresh, for reading and
// writing, readable and writable by its owner alone: whatever had that name
// is removed first, and a link put there meanwhile is never followed. A
// descriptor, or -1.
PLATFORM_API int PlatformCreateFileIn(int folder, const char* name);

// Removes the file `name` of the open folder `folder` (a link is removed,
// not followed). TRUE when it is gone.
PLATFORM_API BOOL PlatformRemoveFileIn(int folder, const char* name);

// Opens the regular file `path` for reading, without waiting on a FIFO put
// in its place: a descriptor, or -1.
PLATFORM_API int PlatformOpenRegularFile(const char* path);

// The bytes an unprivileged user may still write in the file system of
// `folder`; FALSE when it cannot be told.
PLATFORM_API BOOL PlatformFreeBytesInFolder(const char* folder, uint64_t* bytes);

// Closes a descriptor from the calls above.
PLATFORM_API void PlatformCloseDescriptor(int descriptor);

PLATFORM_END_DECLS
