#include "printers/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

// A descriptor of the regular file `path`, or -1 with `error` set.
int OpenRegular(const std::string& path, struct stat& status, std::string& error) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    error = "cannot read " + path;
    return -1;
  }
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(fd);
    error = path + " is not a regular file";
    return -1;
  }
  return fd;
}

}  // namespace

std::optional<std::string> ReadRegularFile(const std::string& path, size_t limit, std::string& error) {
  struct stat status {};
  const int fd = OpenRegular(path, status, error);
  if (fd < 0) return std::nullopt;
  // One byte more than the limit tells a file that is too large, even one
  // that grew since fstat.
  std::string text;
  char buffer[8192];
  ssize_t got = 0;
  while (text.size() <= limit && ((got = read(fd, buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR)))
    if (got > 0) text.append(buffer, static_cast<size_t>(got));
  close(fd);
  if (got < 0) {
    error = "cannot read " + path;
    return std::nullopt;
  }
  if (text.size() > limit) {
    error = path + " is larger than " + std::to_string(limit) + " bytes";
    return std::nullopt;
  }
  return text;
}

bool IsReadableRegularFile(const std::string& path, std::string& error) {
  struct stat status {};
  const int fd = OpenRegular(path, status, error);
  if (fd < 0) return false;
  close(fd);
  return true;
}
