#include "font_file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <string>

namespace converter {

namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now so that a failing close (full disk on NFS) is seen.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Creates a new file beside `path` under a name no one else uses. Unlike
// mkstemp, which makes the file owner-only, the mode is 0666 less the umask
// (and a default ACL applies), as for any other tool's output: the spooler
// or filter that reads a converted font may run as another user.
int CreateTemporaryBeside(const char* path, std::string& temporary) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937_64 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = std::string(path) + ".part";
    for (int i = 0; i < 8; ++i) temporary += kLetters[random() % (sizeof kLetters - 1)];
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadFontFile(const char* path, std::size_t maxBytes) {
  if (path == nullptr || *path == '\0') return std::nullopt;
  // Without O_NONBLOCK opening a named pipe waits for a writer that may
  // never come; regular files read the same either way.
  FileDescriptor file(::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  const auto size = static_cast<std::size_t>(info.st_size);
  if (maxBytes == kMaxFontFileBytes && size > kMaxFontFileBytes) return std::nullopt;

  std::vector<std::uint8_t> bytes(std::min(size, maxBytes));
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t got = ::read(file.get(), bytes.data() + filled, bytes.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;  // the file shrank while we read it
    filled += static_cast<std::size_t>(got);
  }
  bytes.resize(filled);
  return bytes;
}

bool WriteOutputFile(const char* path, std::string_view contents) {
  if (path == nullptr || *path == '\0') return false;
  std::string temporary;
  FileDescriptor file(CreateTemporaryBeside(path, temporary));
  if (file.get() < 0) return false;
  const bool written = WriteAll(file.get(), contents) && file.Close() &&
                       ::rename(temporary.c_str(), path) == 0;
  if (!written) ::unlink(temporary.c_str());
  return written;
}

void DiscardOutput(const char* inputPath, const char* outputPath) {
  if (outputPath == nullptr || *outputPath == '\0') return;
  struct stat input {}, output {};
  if (inputPath != nullptr && ::stat(inputPath, &input) == 0 && ::stat(outputPath, &output) == 0 &&
      input.st_dev == output.st_dev && input.st_ino == output.st_ino) {
    return;
  }
  struct stat existing {};
  if (::lstat(outputPath, &existing) == 0 && !S_ISDIR(existing.st_mode)) ::unlink(outputPath);
}

}  // namespace converter
