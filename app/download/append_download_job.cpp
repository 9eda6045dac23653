#include "download/append_download_job.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "download/download_job.h"
#include "download/download_job_ids.h"
#include "ui/message_boxes.h"

namespace {

constexpr size_t kCopyBlockSize = 4096;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Opened without blocking, so that a FIFO put in the font's place does not
// hold the caller waiting for a writer; only a regular file is a source.
File OpenSource(const char* path, std::uintmax_t& size) {
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat status {};
  std::FILE* file = nullptr;
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) file = fdopen(fd, "rb");
  if (file == nullptr) {
    close(fd);
    return nullptr;
  }
  size = static_cast<std::uintmax_t>(status.st_size);
  return File(file);
}

// Writes all of `bytes` where the job file stands.
bool Write(int job, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(job, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

// Finds the Universal Exit Language in a source seen block by block.
class UelFinder {
 public:
  bool Found(std::string_view block) {
    for (char c : block) {
      matched_ = c == kUel[matched_] ? matched_ + 1 : c == kUel[0] ? 1 : 0;
      if (matched_ == kUel.size()) return true;
    }
    return false;
  }

 private:
  // No proper prefix of the sequence recurs inside it, so a mismatch can
  // only start a new match at its own byte.
  static constexpr std::string_view kUel = "\x1B%-12345X";
  size_t matched_ = 0;
};

enum class Copy { Done, SourceFailed, WriteFailed, UelInSource };

Copy CopySource(std::FILE* source, std::uintmax_t size, int job, JobWrapping& wrapping) {
  char block[kCopyBlockSize];
  UelFinder uel;
  for (std::uintmax_t left = size; left > 0;) {
    const size_t wanted = static_cast<size_t>(std::min<std::uintmax_t>(left, sizeof block));
    const size_t got = std::fread(block, 1, wanted, source);
    if (got == 0) return Copy::SourceFailed;  // unreadable, or shorter than measured
    if (wrapping.EmbedsSource() && uel.Found({block, got})) return Copy::UelInSource;
    if (!wrapping.Accept({block, got})) return Copy::SourceFailed;
    if (!Write(job, {block, got})) return Copy::WriteFailed;
    left -= got;
  }
  // A source that grew since it was measured would reach the printer cut.
  return std::fgetc(source) == EOF && !std::ferror(source) ? Copy::Done : Copy::SourceFailed;
}

int Fail(MessageBoxes& boxes, int stringId, int result) {
  boxes.Show(stringId);
  return result;
}

}  // namespace

std::string UelInSourceText(std::string_view fileName) {
  return std::string(fileName) +
         " holds the printer's end-of-job sequence (ESC%-12345X), after which a printer would run the rest of "
         "the file as commands: it is not sent.";
}

int AppendDownloadJob(const char* sourcePath, int jobFile, JobWrapping& wrapping, MessageBoxes& boxes) {
  std::uintmax_t size = 0;
  File source = OpenSource(sourcePath, size);
  if (source == nullptr) return Fail(boxes, download_job::kFileNotFoundText, kJobSourceUnreadable);
  // Where a refused job is cut off again.
  const off_t start = jobFile < 0 ? -1 : lseek(jobFile, 0, SEEK_END);
  if (start < 0) {
    source.reset();
    return Fail(boxes, download_job::kFileNotFoundText, kJobFileNotOpened);
  }

  Copy copy = Write(jobFile, wrapping.Opening(size)) ? CopySource(source.get(), size, jobFile, wrapping)
                                                     : Copy::WriteFailed;
  if (copy == Copy::Done && !Write(jobFile, wrapping.Closing())) copy = Copy::WriteFailed;
  source.reset();
  if (copy == Copy::SourceFailed || copy == Copy::UelInSource) {
    // Nothing of a refused job may stay for the printer to run.
    const bool cut = ftruncate(jobFile, start) == 0 && lseek(jobFile, start, SEEK_SET) == start;
    const int result = cut ? kJobSourceUnreadable : kJobWriteFailed;
    if (copy == Copy::SourceFailed) return Fail(boxes, download_job::kFileNotFoundText, result);
    const std::string_view path(sourcePath);
    boxes.ShowMessage(UelInSourceText(path.substr(path.rfind('/') + 1)));
    return result;
  }
  if (copy == Copy::WriteFailed) return Fail(boxes, download_job::kCannotWriteText, kJobWriteFailed);
  return kJobWritten;
}
