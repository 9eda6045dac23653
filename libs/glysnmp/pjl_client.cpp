#include "pjl_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace glysnmp {
namespace {

constexpr std::string_view kUel = "\x1B%-12345X";

bool ReadNumber(const char* name, uint32_t low, uint32_t high, uint32_t* out) {
  const char* text = std::getenv(name);
  if (text == nullptr) return false;
  uint32_t value = 0;
  const char* end = text + std::strlen(text);
  auto [next, error] = std::from_chars(text, end, value);
  if (error != std::errc() || next != end || value < low || value > high) return false;
  *out = value;
  return true;
}

// Milliseconds left of `timeoutMs` since `start`; 0 once it has passed.
int Remaining(std::chrono::steady_clock::time_point start, uint32_t timeoutMs) {
  auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  return spent >= timeoutMs ? 0 : static_cast<int>(timeoutMs - spent);
}

bool WaitFor(int fd, short events, int timeoutMs) {
  pollfd ready{fd, events, 0};
  int count;
  do {
    count = poll(&ready, 1, timeoutMs);
  } while (count < 0 && errno == EINTR);
  return count > 0;
}

}  // namespace

PjlSettings ReadPjlSettings() {
  PjlSettings settings;
  uint32_t value = 0;
  if (ReadNumber("GLY_RAW_PORT", 1, 65535, &value)) settings.port = static_cast<uint16_t>(value);
  if (ReadNumber("GLY_PJL_TIMEOUT_MS", 1, 600000, &value)) settings.timeoutMs = value;
  return settings;
}

std::string PjlLine(std::string_view command) { return "@PJL " + std::string(command) + "\r\n"; }

std::unique_ptr<PjlClient> PjlClient::Open(uint32_t address, uint32_t password, const PjlSettings& settings) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_TCP);
  if (fd < 0) return nullptr;
  std::unique_ptr<PjlClient> client(new PjlClient(fd, settings.timeoutMs));
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(settings.port);
  peer.sin_addr.s_addr = htonl(address);
  // Connected without blocking, so that a printer that never answers costs
  // the time-out and not the system's minutes of retries.
  if (connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
    if (errno != EINPROGRESS || !WaitFor(fd, POLLOUT, static_cast<int>(settings.timeoutMs))) return nullptr;
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) return nullptr;
  }
  std::string opening(kUel);
  opening += "@PJL\r\n";
  if (password != 0) opening += PjlLine("JOB PASSWORD=" + std::to_string(password));
  if (!client->Send(opening)) return nullptr;
  return client;
}

PjlClient::~PjlClient() {
  Send(PjlLine("EOJ") + std::string(kUel));
  close(fd_);
}

bool PjlClient::Send(std::string_view bytes) {
  const auto start = std::chrono::steady_clock::now();
  while (!bytes.empty()) {
    // MSG_NOSIGNAL: a printer that hung up must give an error, not SIGPIPE.
    ssize_t sent = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
      const int left = Remaining(start, timeoutMs_);
      if (left == 0 || !WaitFor(fd_, POLLOUT, left)) return false;
      continue;
    }
    bytes.remove_prefix(static_cast<size_t>(sent));
  }
  return true;
}

std::optional<std::string> PjlClient::Exchange(std::string_view request, size_t mostBytes) {
  const std::string marker = "GLY" + std::to_string(++exchanges_);
  const std::string echo = "@PJL ECHO " + marker + "\r\n\f";
  if (!Send(std::string(request) + PjlLine("ECHO " + marker))) return std::nullopt;
  std::string reply;
  char buffer[16384];
  const auto start = std::chrono::steady_clock::now();
  while (reply.size() < echo.size() || reply.compare(reply.size() - echo.size(), echo.size(), echo) != 0) {
    const int left = Remaining(start, timeoutMs_);
    if (left == 0 || !WaitFor(fd_, POLLIN, left)) return std::nullopt;
    ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
    if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    if (got <= 0) return std::nullopt;
    if (reply.size() + static_cast<size_t>(got) > mostBytes + echo.size()) return std::nullopt;
    reply.append(buffer, static_cast<size_t>(got));
  }
  reply.resize(reply.size() - echo.size());
  return reply;
}

}  // namespace glysnmp
