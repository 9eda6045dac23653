#include "download/job_file_reading.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "download/job_folder.h"
#include "download/lpr.h"

bool MeasureJobFile(const JobFile& jobFile, uintmax_t& size) {
  const int descriptor = jobFile.descriptor();
  struct stat status {};
  if (descriptor < 0 || fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) return false;
  char probe;
  if (pread(descriptor, &probe, status.st_size > 0 ? 1 : 0, 0) < 0) return false;
  size = static_cast<uintmax_t>(status.st_size);
  return true;
}

bool ReadJobFileAt(const JobFile& jobFile, char* bytes, size_t length, uintmax_t offset) {
  while (length > 0) {
    const ssize_t got = pread(jobFile.descriptor(), bytes, length, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes += got;
    length -= static_cast<size_t>(got);
    offset += static_cast<uintmax_t>(got);
  }
  return true;
}

int SendJobFileInChunks(const JobFile& jobFile, uintmax_t size, size_t chunkBytes,
                        const std::function<int(const char* bytes, size_t length)>& send) {
  std::vector<char> chunk(chunkBytes);
  for (uintmax_t offset = 0; offset < size;) {
    const size_t length = static_cast<size_t>(std::min<uintmax_t>(chunkBytes, size - offset));
    if (!ReadJobFileAt(jobFile, chunk.data(), length, offset)) return LPR_ERR_JOB_FILE_READ;
    if (int result = send(chunk.data(), length)) return result;
    offset += length;
  }
  return 0;
}
