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

 private:
  int fd_;
};

// Pieces are gathered up to this size before they are written, and larger
// ones go out as they are.
constexpr std::size_t kWriteBufferBytes = 64 * 1024;

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

OutputFile::OutputFile(const char* path) {
  if (path == nullptr || *path == '\0') return;
  path_ = path;
  fd_ = CreateTemporaryBeside(path, temporary_);
  if (fd_ >= 0) buffer_.reserve(kWriteBufferBytes);
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!temporary_.empty() && !committed_) ::unlink(temporary_.c_str());
}

void OutputFile::Write(std::string_view bytes) {
  if (buffer_.size() + bytes.size() > kWriteBufferBytes) Flush();
  if (bytes.size() >= kWriteBufferBytes) failed_ = failed_ || !WriteAll(fd_, bytes);
  else buffer_.append(bytes);
}

void OutputFile::Flush() {
  failed_ = failed_ || !WriteAll(fd_, buffer_);
  buffer_.clear();
}

bool OutputFile::Commit() {
  if (fd_ < 0) return false;
  Flush();
  // Closed here so that a failing close (full disk on NFS) is seen.
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  committed_ = !failed_ && closed && ::rename(temporary_.c_str(), path_.c_str()) == 0;
  return committed_;
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
