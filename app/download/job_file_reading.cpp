#include "download/job_file_reading.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include "download/job_folder.h"

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
