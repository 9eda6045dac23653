#include "lpd_receiver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace {

// Receive time-out so a broken client can never hang a test.
constexpr int kReceiveTimeoutSeconds = 30;

class Connection {
 public:
  explicit Connection(int fd, std::string& log) : fd_(fd), log_(log) {}
  ~Connection() { close(fd_); }

  // Reads up to and including LF; false when the peer closed first.
  bool ReadLine(std::string& line) {
    line.clear();
    char c;
    while (ReadByte(c)) {
      line.push_back(c);
      if (c == '\n') return true;
    }
    return false;
  }

  // Skips `count` bytes (they stay in the log) a buffer at a time.
  bool ReadBytes(size_t count) {
    while (count > 0) {
      if (got_ == used_ && !Fill()) return false;
      const size_t take = std::min(count, got_ - used_);
      used_ += take;
      count -= take;
    }
    return true;
  }

  void DrainToEnd() {
    char c;
    while (ReadByte(c)) {
    }
  }

  void Ack(uint8_t value) { (void)send(fd_, &value, 1, MSG_NOSIGNAL); }

 private:
  bool Fill() {
    const ssize_t n = recv(fd_, buffer_, sizeof buffer_, 0);
    if (n <= 0) return false;
    log_.append(buffer_, static_cast<size_t>(n));
    got_ = static_cast<size_t>(n);
    used_ = 0;
    return true;
  }

  bool ReadByte(char& c) {
    if (got_ == used_ && !Fill()) return false;
    c = buffer_[used_++];
    return true;
  }

  int fd_;
  std::string& log_;
  char buffer_[1 << 16];
  size_t got_ = 0;
  size_t used_ = 0;
};

}  // namespace

LpdReceiver::LpdReceiver() : LpdReceiver(Script{}) {}

LpdReceiver::LpdReceiver(const Script& script) : script_(script) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      listen(listener_, 1) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("LpdReceiver: cannot listen on loopback");
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

LpdReceiver::~LpdReceiver() {
  // Unblocks accept() when no client ever came.
  shutdown(listener_, SHUT_RDWR);
  if (thread_.joinable()) thread_.join();
  close(listener_);
}

std::string LpdReceiver::Received() {
  if (thread_.joinable()) thread_.join();
  return received_;
}

void LpdReceiver::Serve() {
  int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return;
  timeval timeout{kReceiveTimeoutSeconds, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  Connection connection(fd, received_);

  // Acknowledges `step` as scripted; false when the exchange ends here.
  auto answer = [&](int step) {
    if (step >= script_.silentFrom) return true;
    if (step == script_.closeBefore) return false;
    connection.Ack(script_.acks[step]);
    return script_.acks[step] == 0;
  };

  std::string line;
  if (!connection.ReadLine(line) || !answer(kJobCommand)) return;
  while (connection.ReadLine(line)) {
    bool control = line[0] == '\x02';
    size_t count = std::strtoul(line.c_str() + 1, nullptr, 10);
    if (!answer(control ? kControlCommand : kDataCommand)) return;
    if (!connection.ReadBytes(count + 1)) return;  // the file and its closing NUL
    if (!answer(control ? kControlFile : kDataFile)) return;
  }
  connection.DrainToEnd();
}
