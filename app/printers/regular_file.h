// Reading a file the user named (a printer list, a resource) only when it
// is a regular file: a FIFO put in its place would hold the open or the read
// for ever, and a device or a socket is no file to read.
#pragma once

#include <optional>
#include <string>

// Its bytes, when `path` names a regular file of at most `limit` bytes;
// else nullopt and `error` says why, naming the file ("PATH is not a
// regular file"). The file is opened without blocking and checked through
// the descriptor read from, so what was checked is what is read.
std::optional<std::string> ReadRegularFile(const std::string& path, size_t limit, std::string& error);

// Whether `path` is a regular file that can be opened for reading, checked
// the same way; else `error` says why.
bool IsReadableRegularFile(const std::string& path, std::string& error);
