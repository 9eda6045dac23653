#include "pjl_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "exchange_trace.h"

namespace glysnmp {
namespace {

constexpr std::string_view kUel = "\x1B%-12345X";
// How much longer than the base time-out the slowest printer may take.
constexpr uint32_t kSlowFactor = 3;
// Room for the echo and the replies around it beyond what a caller allows.
constexpr size_t kReplySlack = 4096;

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

uint64_t SteadyMs() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

bool WaitFor(int fd, short events, uint64_t timeoutMs) {
  pollfd ready{fd, events, 0};
  int count;
  do {
    count = poll(&ready, 1, static_cast<int>(std::min<uint64_t>(timeoutMs, INT32_MAX)));
  } while (count < 0 && errno == EINTR);
  return count > 0;
}

// A marker no other request of this process uses, on any connection.
std::string NewMarker() {
  static std::atomic<uint64_t> next{0};
  return "GLY" + std::to_string(getpid()) + "-" + std::to_string(++next);
}

class SteadyClock final : public PjlClock {
 public:
  uint64_t NowMs() override { return SteadyMs(); }
};

}  // namespace

PjlClock& SteadyPjlClock() {
  static SteadyClock clock;
  return clock;
}

PjlSettings ReadPjlSettings() {
  PjlSettings settings;
  uint32_t value = 0;
  if (ReadNumber("GLY_RAW_PORT", 1, 65535, &value)) settings.port = static_cast<uint16_t>(value);
  if (ReadNumber("GLY_PJL_TIMEOUT_MS", 1, 600000, &value)) settings.timeoutMs = value;
  if (ReadNumber("GLY_PJL_DEADLINE_S", 1, 86400, &value)) settings.deadlineMs = value * 1000;
  return settings;
}

std::string PjlLine(std::string_view command) { return "@PJL " + std::string(command) + "\r\n"; }

PjlClient::PjlClient(uint32_t address, uint32_t password, const PjlSettings& settings)
    : address_(address),
      password_(password),
      settings_(settings),
      clock_(settings.clock ? *settings.clock : SteadyPjlClock()),
      startedMs_(clock_.NowMs()) {}

std::unique_ptr<PjlClient> PjlClient::Open(uint32_t address, uint32_t password, const PjlSettings& settings) {
  std::unique_ptr<PjlClient> client(new PjlClient(address, password, settings));
  if (!client->Connect()) return nullptr;
  return client;
}

PjlClient::~PjlClient() { Disconnect(); }

bool PjlClient::Connect() {
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_TCP);
  if (fd_ < 0) return false;
  stream_.Clear();
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(settings_.port);
  peer.sin_addr.s_addr = htonl(address_);
  // Connected without blocking, so that a printer that never answers costs
  // the time-out and not the system's minutes of retries.
  if (connect(fd_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
    int error = 0;
    socklen_t length = sizeof error;
    if (errno != EINPROGRESS || !WaitFor(fd_, POLLOUT, settings_.timeoutMs) ||
        getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
      close(fd_);
      fd_ = -1;
      return false;
    }
  }
  std::string opening(kUel);
  opening += "@PJL\r\n";
  if (password_ != 0) opening += PjlLine("JOB PASSWORD=" + std::to_string(password_));
  // Status reports the printer would send unasked only get in the way.
  opening += PjlLine("USTATUSOFF");
  if (Send(opening)) return true;
  close(fd_);
  fd_ = -1;
  return false;
}

std::string PjlClient::PeerText() const {
  return std::to_string(address_ >> 24) + '.' + std::to_string((address_ >> 16) & 0xff) + '.' +
         std::to_string((address_ >> 8) & 0xff) + '.' + std::to_string(address_ & 0xff) + ':' +
         std::to_string(settings_.port);
}

void PjlClient::Disconnect() {
  if (fd_ < 0) return;
  Send(PjlLine("EOJ") + std::string(kUel));
  close(fd_);
  fd_ = -1;
}

bool PjlClient::Send(std::string_view bytes) {
  if (Tracing(TraceProtocol::kPjl))
    TraceExchange(TraceProtocol::kPjl, PeerText(), '>', TraceText(MaskAfter(bytes, "PASSWORD="), 400));
  const uint64_t start = SteadyMs();
  while (!bytes.empty()) {
    // MSG_NOSIGNAL: a printer that hung up must give an error, not SIGPIPE.
    ssize_t sent = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
      const uint64_t spent = SteadyMs() - start;
      if (spent >= settings_.timeoutMs || !WaitFor(fd_, POLLOUT, settings_.timeoutMs - spent)) return false;
      continue;
    }
    bytes.remove_prefix(static_cast<size_t>(sent));
  }
  return true;
}

uint32_t PjlClient::ReplyTimeoutMs() const {
  const uint32_t base = settings_.timeoutMs;
  const uint64_t most = uint64_t{base} * kSlowFactor;
  if (slowestMs_ == 0) return static_cast<uint32_t>(std::min<uint64_t>(most, UINT32_MAX));
  const uint64_t paced = uint64_t{slowestMs_} * kSlowFactor;
  return static_cast<uint32_t>(std::min<uint64_t>(std::clamp<uint64_t>(paced, base, most), UINT32_MAX));
}

bool PjlClient::WithinBounds() {
  if (requests_ >= settings_.mostRequests) {
    failure_ = PjlFailure::kTooManyRequests;
  } else if (clock_.NowMs() - startedMs_ >= settings_.deadlineMs) {
    failure_ = PjlFailure::kDeadlinePassed;
  }
  return failure_ != PjlFailure::kTooManyRequests && failure_ != PjlFailure::kDeadlinePassed;
}

std::optional<std::string> PjlClient::Exchange(std::string_view request, size_t mostBytes) {
  // A request whose reply does not come is sent once more on a new
  // connection: a printer that was only slow that once still answers.
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!WithinBounds()) return std::nullopt;
    ++requests_;
    if (fd_ < 0 && !Connect()) {
      failure_ = PjlFailure::kNoAnswer;
      return std::nullopt;
    }
    const std::string marker = NewMarker();
    std::string reply;
    if (Send(std::string(request) + PjlLine("ECHO " + marker)) && ReadReply(marker, mostBytes, &reply)) {
      failure_ = PjlFailure::kNone;
      if (Tracing(TraceProtocol::kPjl)) TraceExchange(TraceProtocol::kPjl, PeerText(), '<', TraceText(reply, 400));
      return reply;
    }
    failure_ = PjlFailure::kNoAnswer;
    TraceExchange(TraceProtocol::kPjl, PeerText(), '<', "none");
    // What the printer still sends on this connection belongs to no
    // request of ours any more.
    Disconnect();
  }
  return std::nullopt;
}

bool PjlClient::ReadReply(const std::string& marker, size_t mostBytes, std::string* reply) {
  const uint64_t sent = SteadyMs();
  const uint64_t deadlineLeft = settings_.deadlineMs - std::min<uint64_t>(settings_.deadlineMs, clock_.NowMs() - startedMs_);
  const uint64_t timeout = std::min<uint64_t>(ReplyTimeoutMs(), deadlineLeft);
  bool echoed = false, before = false, after = false;
  std::optional<uint64_t> graceEnds;
  char buffer[16384];
  for (;;) {
    while (std::optional<PjlBlock> block = stream_.Next()) {
      if (block->kind == PjlBlock::kEcho) {
        if (block->text != marker) continue;  // of a request given up on
        echoed = true;
        slowestMs_ = std::max<uint32_t>({slowestMs_, static_cast<uint32_t>(SteadyMs() - sent), 1});
      } else if (block->kind == PjlBlock::kReply) {
        // Before the echo of a printer that answers the echo first, a
        // reply is a late one to an earlier request.
        if (!echoed && order_ == Order::kEchoFirst) continue;
        (echoed ? after : before) = true;
        *reply += block->text;
        *reply += '\f';
      }
    }
    if (reply->size() + stream_.pending() > mostBytes + kReplySlack) return false;
    if (echoed) {
      if (before) {
        if (order_ == Order::kUnknown) order_ = Order::kInOrder;
        return true;
      }
      if (after) {
        order_ = Order::kEchoFirst;
        return true;
      }
      // Nothing answered before the echo: on a printer known to answer in
      // order the command was ignored; otherwise its reply may still
      // follow the echo, awaited for as long as the echo took.
      if (order_ == Order::kInOrder) return true;
      if (order_ == Order::kUnknown && !graceEnds) graceEnds = SteadyMs() + std::max<uint64_t>(250, SteadyMs() - sent);
    }
    const uint64_t now = SteadyMs();
    uint64_t left = now - sent >= timeout ? 0 : timeout - (now - sent);
    if (graceEnds) left = std::min(left, *graceEnds > now ? *graceEnds - now : 0);
    if (left == 0 && graceEnds) {
      // Taken as ignored; a reply that still comes would be read as the
      // answer to the next request, so this connection ends here.
      Disconnect();
      return true;
    }
    if (left == 0) return false;
    if (!WaitFor(fd_, POLLIN, left)) continue;
    ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
    if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    if (got <= 0) return false;
    stream_.Append(std::string_view(buffer, static_cast<size_t>(got)));
  }
}

}  // namespace glysnmp
