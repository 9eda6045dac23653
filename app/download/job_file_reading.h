// Reading an open job file through its descriptor, as every job port sends
// it: its size first (only a regular file that can be read is sent), then
// its bytes by offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

class JobFile;

// False when the file is not a regular file or cannot be read: nothing of
// it may be announced to a printer then.
bool MeasureJobFile(const JobFile& jobFile, uintmax_t& size);

// `length` bytes from `offset`, all of them; false when the file ends
// sooner or cannot be read.
bool ReadJobFileAt(const JobFile& jobFile, char* bytes, size_t length, uintmax_t offset);

// Hands `send` the first `size` bytes of the file in order, `chunkBytes` at
// a time, and stops at the first nonzero result of `send`, which it
// returns; LPR_ERR_JOB_FILE_READ when the file ends sooner or cannot be
// read (its size was announced: a file that shrank cannot honour it).
int SendJobFileInChunks(const JobFile& jobFile, uintmax_t size, size_t chunkBytes,
                        const std::function<int(const char* bytes, size_t length)>& send);
