#include "log_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

#include "tessel/qrtl.h"

namespace tessel::qrtl {
namespace {

constexpr size_t kBlockSize = 4096;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Copies what follows the first LF at or after `from` in `in` to `out`.
// False on a read or write error.
bool CopyWholeLines(std::FILE* in, long from, std::FILE* out, char* block) {
  if (std::fseek(in, from, SEEK_SET) != 0) return false;
  bool atLineStart = false;
  size_t count = 0;
  while ((count = std::fread(block, 1, kBlockSize, in)) > 0) {
    const char* start = block;
    if (!atLineStart) {
      const void* lf = std::memchr(block, '\n', count);
      if (lf == nullptr) continue;
      atLineStart = true;
      start = static_cast<const char*>(lf) + 1;
    }
    const size_t rest = count - static_cast<size_t>(start - block);
    if (std::fwrite(start, 1, rest, out) != rest) return false;
  }
  return std::ferror(in) == 0;
}

}  // namespace

int32_t TrimLogFile(const std::string& path, const TrimThresholds& thresholds) {
  File in(std::fopen(path.c_str(), "rb"));
  if (!in) return QRTLERR_OPEN_LOG;
  if (std::fseek(in.get(), 0, SEEK_END) != 0) return QRTLERR_WRITE_LOG;
  const long length = std::ftell(in.get());
  if (length <= thresholds.upper) return QRTL_SUCCESS;

  std::unique_ptr<char[]> block(new (std::nothrow) char[kBlockSize]);
  if (!block) return QRTLERR_NOMEM;
  const std::string kept = path + ".trimming";
  File out(std::fopen(kept.c_str(), "wb"));
  if (!out) return QRTLERR_OPEN_LOG;
  bool written = CopyWholeLines(in.get(), length - thresholds.lower, out.get(), block.get());
  written = std::fclose(out.release()) == 0 && written;
  std::error_code ignored;
  if (written) {
    std::filesystem::permissions(kept, std::filesystem::status(path, ignored).permissions(),
                                 ignored);
    written = std::rename(kept.c_str(), path.c_str()) == 0;
  }
  if (!written) {
    std::remove(kept.c_str());
    return QRTLERR_WRITE_LOG;
  }
  return QRTL_SUCCESS;
}

int32_t FlushLogQueue(const std::string& path, std::deque<std::string>& queue,
                      const TrimThresholds& thresholds) {
  if (queue.empty()) return QRTL_SUCCESS;
  File file(std::fopen(path.c_str(), "r+b"));
  if (!file) return QRTLERR_OPEN_LOG;
  // Unbuffered, so the count fwrite reports is what reached the file and
  // exactly the lines it covers leave the queue.
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  std::string batch;
  try {
    for (const std::string& line : queue) batch += line;
  } catch (const std::bad_alloc&) {
    return QRTLERR_NOMEM;
  }
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return QRTLERR_WRITE_LOG;
  const long end = std::ftell(file.get());
  const size_t written = std::fwrite(batch.data(), 1, batch.size(), file.get());
  size_t whole = 0;  // bytes of the lines that reached the file complete
  while (!queue.empty() && whole + queue.front().size() <= written) {
    whole += queue.front().size();
    queue.pop_front();
  }
  if (!queue.empty()) {
    // The first unwritten line stays queued and goes again whole; the part
    // of it that did get out is cut off, so no torn line is left behind.
    if (written > whole && end >= 0) {
      (void)!ftruncate(fileno(file.get()), end + static_cast<long>(whole));
    }
    return QRTLERR_WRITE_LOG;
  }
  const long length = std::ftell(file.get());
  file.reset();
  if (length <= thresholds.upper) return QRTL_SUCCESS;
  return TrimLogFile(path, thresholds);
}

}  // namespace tessel::qrtl
