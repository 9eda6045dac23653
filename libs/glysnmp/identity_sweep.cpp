#include "identity_sweep.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <deque>
#include <functional>
#include <optional>

#include "snmp_message.h"

namespace glysnmp {
namespace {

using SteadyClock = std::chrono::steady_clock;

// What one socket may queue of answers while the sweep is sending; the
// kernel caps it at its own maximum.
constexpr int kReceiveBufferBytes = 4 << 20;
// An answer larger than this is no identity answer.
constexpr size_t kMostAnswerBytes = 65535;

class Socket {
 public:
  Socket() : fd_(socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {
    if (fd_ >= 0) setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &kReceiveBufferBytes, sizeof kReceiveBufferBytes);
  }
  ~Socket() {
    if (fd_ >= 0) close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

sockaddr_in AgentAddress(uint32_t address, uint16_t port) {
  sockaddr_in agent{};
  agent.sin_family = AF_INET;
  agent.sin_port = htons(port);
  agent.sin_addr.s_addr = htonl(address);
  return agent;
}

// One request per address, and the answers to them. `request` gives the
// message of a request id; `accept` takes an answer from the address its
// request went to and says whether it answers that request id.
class Sweep {
 public:
  using Request = std::function<std::string(int32_t requestId)>;
  using Accept = std::function<bool(const uint8_t* data, size_t size, int32_t requestId, uint32_t address)>;

  Sweep(const std::vector<uint32_t>& addresses, const SnmpSettings& settings, Request request, Accept accept)
      : addresses_(addresses),
        settings_(settings),
        request_(std::move(request)),
        accept_(std::move(accept)),
        answered_(addresses.size(), false) {}

  void Run() {
    if (socket_.fd() < 0) return;
    const auto timeout = std::chrono::milliseconds(settings_.timeoutMs);
    start_ = SteadyClock::now();
    while (next_ < addresses_.size() || inFlight_ > 0) {
      SteadyClock::time_point now = SteadyClock::now();
      Expire(now);
      Send(now, timeout);
      Wait(now);
      Receive();
    }
  }

 private:
  struct Pending {
    size_t probe;
    SteadyClock::time_point deadline;
  };

  // Request ids name the probe: 1 for the first address, and so on.
  static int32_t RequestIdOf(size_t probe) { return static_cast<int32_t>(probe + 1); }

  // Requests are sent in deadline order, so the oldest are at the front.
  void Expire(SteadyClock::time_point now) {
    while (!pending_.empty() && (answered_[pending_.front().probe] || pending_.front().deadline <= now)) {
      if (!answered_[pending_.front().probe]) --inFlight_;
      pending_.pop_front();
    }
  }

  // As many requests as the rate allows by now and the window has room for.
  void Send(SteadyClock::time_point now, std::chrono::milliseconds timeout) {
    double elapsed = std::chrono::duration<double>(now - start_).count();
    auto allowed = static_cast<size_t>(elapsed * settings_.discoveryRate) + 1;
    while (next_ < addresses_.size() && next_ < allowed && inFlight_ < settings_.discoveryInFlight) {
      std::string message = request_(RequestIdOf(next_));
      sockaddr_in agent = AgentAddress(addresses_[next_], settings_.port);
      ssize_t sent = sendto(socket_.fd(), message.data(), message.size(), 0, reinterpret_cast<sockaddr*>(&agent),
                            sizeof agent);
      // A full send queue is tried again shortly; an address the host
      // cannot send to at all is given up.
      if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS)) break;
      if (sent >= 0) {
        pending_.push_back({next_, now + timeout});
        ++inFlight_;
      }
      ++next_;
    }
  }

  // Until an answer comes, the next request is due, or the oldest expires.
  void Wait(SteadyClock::time_point now) {
    std::optional<SteadyClock::time_point> until;
    if (next_ < addresses_.size() && inFlight_ < settings_.discoveryInFlight) {
      until = start_ + std::chrono::duration_cast<SteadyClock::duration>(
                           std::chrono::duration<double>(static_cast<double>(next_) / settings_.discoveryRate));
    }
    if (!pending_.empty() && (!until || pending_.front().deadline < *until)) until = pending_.front().deadline;
    if (!until) return;
    auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(*until - now);
    if (wait.count() < 0) wait = std::chrono::nanoseconds(0);
    timespec span{static_cast<time_t>(wait.count() / 1000000000), static_cast<long>(wait.count() % 1000000000)};
    pollfd readable{socket_.fd(), POLLIN, 0};
    ppoll(&readable, 1, &span, nullptr);
  }

  void Receive() {
    for (;;) {
      sockaddr_in from{};
      socklen_t fromSize = sizeof from;
      ssize_t size = recvfrom(socket_.fd(), buffer_.data(), buffer_.size(), 0, reinterpret_cast<sockaddr*>(&from),
                              &fromSize);
      if (size < 0) {
        if (errno == EINTR) continue;
        return;
      }
      Take(buffer_.data(), static_cast<size_t>(size), from);
    }
  }

  // An answer counts once, from the agent's address and port, to the
  // request sent there.
  void Take(const uint8_t* data, size_t size, const sockaddr_in& from) {
    if (from.sin_family != AF_INET || ntohs(from.sin_port) != settings_.port) return;
    uint32_t address = ntohl(from.sin_addr.s_addr);
    auto at = std::lower_bound(addresses_.begin(), addresses_.begin() + static_cast<ptrdiff_t>(next_), address);
    if (at == addresses_.begin() + static_cast<ptrdiff_t>(next_) || *at != address) return;
    size_t probe = static_cast<size_t>(at - addresses_.begin());
    // An answer after the time-out no longer counts: its request left the window.
    if (answered_[probe] || !StillPending(probe)) return;
    if (!accept_(data, size, RequestIdOf(probe), address)) return;
    answered_[probe] = true;
    --inFlight_;
  }

  bool StillPending(size_t probe) const {
    auto at = std::lower_bound(pending_.begin(), pending_.end(), probe,
                               [](const Pending& pending, size_t wanted) { return pending.probe < wanted; });
    return at != pending_.end() && at->probe == probe;
  }

  const std::vector<uint32_t>& addresses_;
  const SnmpSettings& settings_;
  Request request_;
  Accept accept_;
  Socket socket_;
  std::vector<uint8_t> buffer_ = std::vector<uint8_t>(kMostAnswerBytes);
  SteadyClock::time_point start_;
  size_t next_ = 0;
  size_t inFlight_ = 0;
  std::deque<Pending> pending_;  // in probe order, which is send order
  std::vector<bool> answered_;
};

}  // namespace

std::vector<IdentityAnswer> SweepIdentities(const std::vector<uint32_t>& addresses, const std::string& community,
                                            const SnmpSettings& settings) {
  Pdu request = IdentityRequest();
  std::vector<IdentityAnswer> answers;
  Sweep(
      addresses, settings, [&](int32_t requestId) { return EncodeV2cRequest(*request, community, requestId); },
      [&](const uint8_t* data, size_t size, int32_t requestId, uint32_t address) {
        Pdu answer = DecodeV2cMessage(data, size);
        if (!answer || answer->reqid != requestId) return false;
        IdentityAnswer identity;
        if (ReadIdentity(*answer, address, &identity)) answers.push_back(identity);
        return true;
      })
      .Run();
  std::sort(answers.begin(), answers.end(),
            [](const IdentityAnswer& a, const IdentityAnswer& b) { return a.device.address < b.device.address; });
  return answers;
}

std::vector<uint32_t> SweepV3Engines(const std::vector<uint32_t>& addresses, const SnmpSettings& settings) {
  std::vector<uint32_t> engines;
  Sweep(
      addresses, settings, [](int32_t requestId) { return EncodeV3EngineProbe(requestId); },
      [&](const uint8_t* data, size_t size, int32_t requestId, uint32_t address) {
        if (DecodeV3MessageId(data, size) != requestId) return false;
        engines.push_back(address);
        return true;
      })
      .Run();
  std::sort(engines.begin(), engines.end());
  return engines;
}

}  // namespace glysnmp
