// The Simulator: every printer's sockets on one epoll loop thread. The
// printers' state is guarded by one mutex, held while the loop handles a
// batch of events and by every public call.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include "appsocket_session.h"
#include "lpd_session.h"
#include "printer.h"
#include "printer_mib.h"
#include "printer_sim.h"
#include "snmp_agent.h"

namespace printer_sim {
namespace {

constexpr int kListenBacklog = 16;
constexpr size_t kMostDatagramBytes = 65535;
constexpr int kEventsPerWait = 64;
// A client that sends but does not read is not read from while this much
// of its reply waits. What it sent is fed to its session in small pieces,
// so that few commands can add to a reply past that.
constexpr size_t kMostPendingReplyBytes = 1 << 20;
constexpr size_t kFeedBytes = 256;

struct Node;
struct Connection;

struct Handler {
  enum Kind { kWake, kSnmp, kLpdListener, kRawListener, kConnection } kind;
  Node* node = nullptr;
  Connection* connection = nullptr;
};

struct Connection {
  Connection(Node* owner, int socket, std::unique_ptr<ConnectionSession> protocol)
      : fd(socket), session(std::move(protocol)), handler{Handler::kConnection, owner, this} {}
  int fd;
  std::unique_ptr<ConnectionSession> session;
  std::string pending;  // reply bytes the socket did not take yet
  std::string unread;   // received bytes not yet fed to the session, from unreadAt on
  size_t unreadAt = 0;
  Handler handler;
};

struct Node {
  Node(const PrinterConfig& config, Printer::LogSink sink) : printer(config, std::move(sink)) {}
  Printer printer;
  PrinterMib mib;
  sockaddr_in snmpAddress{};
  sockaddr_in lpdAddress{};
  sockaddr_in rawAddress{};
  int snmpFd = -1;
  int lpdFd = -1;
  int rawFd = -1;
  Handler snmpHandler{Handler::kSnmp, this, nullptr};
  Handler lpdHandler{Handler::kLpdListener, this, nullptr};
  Handler rawHandler{Handler::kRawListener, this, nullptr};
  std::map<int, std::unique_ptr<Connection>> connections;
};

struct Delayed {
  Clock::time_point due;
  int fd;
  sockaddr_in to;
  std::string bytes;
};

std::string Errno(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// A socket bound to `address` (port 0: any free port); the address gets
// the port actually bound. -1 with `error` set on failure.
int BindSocket(int type, sockaddr_in& address, const char* what, std::string& error) {
  int fd = socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = Errno("socket");
    return -1;
  }
  int on = 1;
  if (type == SOCK_STREAM) setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      (type == SOCK_STREAM && listen(fd, kListenBacklog) != 0) ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    error = Errno(what);
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

struct Simulator::Impl {
  mutable std::mutex mutex;
  int epoll = -1;
  int wake = -1;
  Handler wakeHandler{Handler::kWake, nullptr, nullptr};
  std::thread thread;
  bool stopping = false;
  std::vector<std::unique_ptr<Node>> nodes;
  std::vector<Delayed> delayed;
  std::function<void(size_t, const std::string&)> sink;

  Impl() {
    epoll = epoll_create1(EPOLL_CLOEXEC);
    wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    Watch(wake, EPOLLIN, &wakeHandler);
  }

  ~Impl() {
    for (auto& node : nodes) CloseNode(*node);
    close(wake);
    close(epoll);
  }

  void Watch(int fd, uint32_t events, Handler* handler) {
    epoll_event event{};
    event.events = events;
    event.data.ptr = handler;
    epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &event);
  }

  Node& At(size_t printer) const { return *nodes.at(printer); }

  void CloseNode(Node& node) {
    for (auto& [fd, connection] : node.connections) close(fd);
    node.connections.clear();
    if (node.snmpFd >= 0) close(node.snmpFd);
    if (node.lpdFd >= 0) close(node.lpdFd);
    if (node.rawFd >= 0) close(node.rawFd);
    node.snmpFd = node.lpdFd = node.rawFd = -1;
  }

  bool OpenListener(Node& node, std::string& error) {
    node.lpdFd = BindSocket(SOCK_STREAM, node.lpdAddress, "LPD port", error);
    if (node.lpdFd < 0) return false;
    Watch(node.lpdFd, EPOLLIN, &node.lpdHandler);
    return true;
  }

  void Run() {
    epoll_event events[kEventsPerWait];
    std::vector<char> buffer(kMostDatagramBytes);
    for (;;) {
      int timeout = -1;
      {
        std::lock_guard lock(mutex);
        if (stopping) return;
        std::optional<Clock::time_point> next = NextReplyDue();
        auto consider = [&next](Clock::time_point due) { next = next ? std::min(*next, due) : due; };
        for (const Delayed& d : delayed) consider(d.due);
        for (const auto& node : nodes)
          if (std::optional<Clock::time_point> job = node->printer.NextPendingJob()) consider(*job);
        if (next) {
          auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(*next - Clock::now());
          timeout = static_cast<int>(std::max<int64_t>(0, wait.count() + 1));
        }
      }
      int count = epoll_wait(epoll, events, kEventsPerWait, timeout);
      std::lock_guard lock(mutex);
      if (stopping) return;
      // A busy printer's jobs come due before anything asks after them.
      for (const auto& node : nodes) node->printer.RunDueJobs();
      for (int i = 0; i < count; ++i) {
        Handler& handler = *static_cast<Handler*>(events[i].data.ptr);
        switch (handler.kind) {
          case Handler::kWake: {
            uint64_t value = 0;
            [[maybe_unused]] ssize_t n = read(wake, &value, sizeof value);
            break;
          }
          case Handler::kSnmp:
            ServeSnmp(*handler.node, buffer);
            break;
          case Handler::kLpdListener:
          case Handler::kRawListener:
            Accept(*handler.node, handler.kind);
            break;
          case Handler::kConnection:
            ServeConnection(*handler.node, *handler.connection, events[i].events, buffer);
            break;
        }
      }
      SendDue();
      SendDueReplies(buffer);
    }
  }

  // Replies that AppSocket sessions held back (slow printers).
  std::optional<Clock::time_point> NextReplyDue() const {
    std::optional<Clock::time_point> earliest;
    for (const auto& node : nodes) {
      for (const auto& [fd, connection] : node->connections) {
        std::optional<Clock::time_point> due = connection->session->NextReplyDue();
        if (due && (!earliest || *due < *earliest)) earliest = due;
      }
    }
    return earliest;
  }

  void SendDueReplies(std::vector<char>& buffer) {
    const Clock::time_point now = Clock::now();
    for (auto& node : nodes) {
      std::vector<Connection*> due;
      for (auto& [fd, connection] : node->connections) {
        std::optional<Clock::time_point> when = connection->session->NextReplyDue();
        if (when && *when <= now) due.push_back(connection.get());
      }
      for (Connection* connection : due) {
        connection->session->TakeDueReplies(now, connection->pending);
        ServeConnection(*node, *connection, 0, buffer);
      }
    }
  }

  void ServeSnmp(Node& node, std::vector<char>& buffer) {
    for (;;) {
      sockaddr_in from{};
      socklen_t length = sizeof from;
      ssize_t size = recvfrom(node.snmpFd, buffer.data(), buffer.size(), 0,
                              reinterpret_cast<sockaddr*>(&from), &length);
      if (size < 0) return;
      const Faults& faults = node.printer.faults();
      if (faults.snmpSilent) continue;
      std::optional<std::string> answer = AnswerSnmpRequest(
          node.printer, node.mib, reinterpret_cast<const uint8_t*>(buffer.data()), static_cast<size_t>(size));
      if (!answer) continue;
      if (faults.snmpDelayMs > 0) {
        delayed.push_back({Clock::now() + std::chrono::milliseconds(faults.snmpDelayMs), node.snmpFd, from,
                           std::move(*answer)});
      } else {
        sendto(node.snmpFd, answer->data(), answer->size(), 0, reinterpret_cast<sockaddr*>(&from), length);
      }
    }
  }

  void SendDue() {
    const Clock::time_point now = Clock::now();
    auto due = [now](const Delayed& d) { return d.due <= now; };
    for (const Delayed& d : delayed) {
      if (due(d)) sendto(d.fd, d.bytes.data(), d.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&d.to), sizeof d.to);
    }
    delayed.erase(std::remove_if(delayed.begin(), delayed.end(), due), delayed.end());
  }

  void Accept(Node& node, Handler::Kind listener) {
    const int listenFd = listener == Handler::kRawListener ? node.rawFd : node.lpdFd;
    if (listenFd < 0) return;
    for (;;) {
      int fd = accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd < 0) return;
      std::unique_ptr<ConnectionSession> session;
      if (listener == Handler::kRawListener) {
        session = std::make_unique<AppSocketSession>(node.printer);
      } else {
        session = std::make_unique<LpdSession>(node.printer);
      }
      auto connection = std::make_unique<Connection>(&node, fd, std::move(session));
      Watch(fd, EPOLLIN | EPOLLRDHUP, &connection->handler);
      node.connections[fd] = std::move(connection);
    }
  }

  void ServeConnection(Node& node, Connection& connection, uint32_t events, std::vector<char>& buffer) {
    ConnectionSession& session = *connection.session;
    bool broken = (events & EPOLLERR) != 0;
    std::string& unread = connection.unread;
    while (!broken && !session.closing() && connection.pending.size() < kMostPendingReplyBytes) {
      if (connection.unreadAt < unread.size()) {
        const size_t piece = std::min(kFeedBytes, unread.size() - connection.unreadAt);
        session.Receive(reinterpret_cast<const uint8_t*>(unread.data() + connection.unreadAt), piece,
                        connection.pending);
        connection.unreadAt += piece;
        continue;
      }
      if (!(events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP))) break;
      ssize_t size = recv(connection.fd, buffer.data(), buffer.size(), 0);
      if (size > 0) {
        unread.assign(buffer.data(), static_cast<size_t>(size));
        connection.unreadAt = 0;
      } else if (size == 0) {
        session.EndOfInput(connection.pending);
      } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
        break;
      } else if (errno != EINTR) {
        broken = true;
      }
    }
    while (!broken && !connection.pending.empty()) {
      ssize_t sent = send(connection.fd, connection.pending.data(), connection.pending.size(), MSG_NOSIGNAL);
      if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) broken = true;
      if (sent <= 0) break;
      connection.pending.erase(0, static_cast<size_t>(sent));
    }
    if (broken || (session.closing() && connection.pending.empty())) {
      if (!session.closing()) session.EndOfInput(connection.pending);
      int fd = connection.fd;
      // Taken off the loop before it is closed: a child forked elsewhere in
      // the process may still hold the socket until it execs, and while it
      // does the kernel keeps reporting it, with a pointer to the freed
      // connection.
      epoll_ctl(epoll, EPOLL_CTL_DEL, fd, nullptr);
      close(fd);
      node.connections.erase(fd);
      return;
    }
    // Reads only while the client takes its replies, and nothing after
    // its end of input: what is left to do is sending. Bytes still unread
    // are fed on the next round, which a writable socket starts at once.
    const bool reading = !session.closing() && connection.pending.size() < kMostPendingReplyBytes;
    const bool held = !session.closing() && connection.unreadAt < unread.size();
    epoll_event event{};
    event.events = (reading && !held ? uint32_t{EPOLLIN | EPOLLRDHUP} : 0u) |
                   (connection.pending.empty() && !held ? 0u : uint32_t{EPOLLOUT});
    event.data.ptr = &connection.handler;
    epoll_ctl(epoll, EPOLL_CTL_MOD, connection.fd, &event);
  }
};

Simulator::Simulator() : impl_(std::make_unique<Impl>()) {}

Simulator::~Simulator() { Stop(); }

std::optional<size_t> Simulator::AddPrinter(const PrinterConfig& config, std::string* error) {
  std::string reason;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  if (inet_pton(AF_INET, config.address.c_str(), &address.sin_addr) != 1) {
    if (error) *error = "not an IPv4 address: " + config.address;
    return std::nullopt;
  }
  std::lock_guard lock(impl_->mutex);
  const size_t number = impl_->nodes.size();
  Impl* impl = impl_.get();
  auto node = std::make_unique<Node>(config, [impl, number](const std::string& line) {
    if (impl->sink) impl->sink(number, line);
  });
  node->snmpAddress = node->lpdAddress = node->rawAddress = address;
  node->snmpAddress.sin_port = htons(config.snmpPort);
  node->lpdAddress.sin_port = htons(config.lpdPort);
  node->rawAddress.sin_port = htons(config.rawPort);
  node->snmpFd = BindSocket(SOCK_DGRAM, node->snmpAddress, "SNMP port", reason);
  if (node->snmpFd >= 0 && impl_->OpenListener(*node, reason)) {
    node->rawFd = BindSocket(SOCK_STREAM, node->rawAddress, "AppSocket port", reason);
  }
  if (node->rawFd < 0) {
    impl_->CloseNode(*node);
    if (error) *error = config.address + ": " + reason;
    return std::nullopt;
  }
  impl_->Watch(node->snmpFd, EPOLLIN, &node->snmpHandler);
  impl_->Watch(node->rawFd, EPOLLIN, &node->rawHandler);
  impl_->nodes.push_back(std::move(node));
  return number;
}

size_t Simulator::PrinterCount() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->nodes.size();
}

void Simulator::Start() {
  std::lock_guard lock(impl_->mutex);
  if (impl_->thread.joinable() || impl_->stopping) return;
  impl_->thread = std::thread([impl = impl_.get()] { impl->Run(); });
}

void Simulator::Stop() {
  {
    std::lock_guard lock(impl_->mutex);
    impl_->stopping = true;
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(impl_->wake, &one, sizeof one);
  }
  if (impl_->thread.joinable()) impl_->thread.join();
  std::lock_guard lock(impl_->mutex);
  for (auto& node : impl_->nodes) impl_->CloseNode(*node);
  impl_->delayed.clear();
}

uint16_t Simulator::SnmpPort(size_t printer) const {
  std::lock_guard lock(impl_->mutex);
  return ntohs(impl_->At(printer).snmpAddress.sin_port);
}

uint16_t Simulator::LpdPort(size_t printer) const {
  std::lock_guard lock(impl_->mutex);
  return ntohs(impl_->At(printer).lpdAddress.sin_port);
}

uint16_t Simulator::RawPort(size_t printer) const {
  std::lock_guard lock(impl_->mutex);
  return ntohs(impl_->At(printer).rawAddress.sin_port);
}

PrinterConfig Simulator::Config(size_t printer) const {
  std::lock_guard lock(impl_->mutex);
  return impl_->At(printer).printer.config();
}

void Simulator::SetFaults(size_t printer, const Faults& faults) {
  std::lock_guard lock(impl_->mutex);
  Node& node = impl_->At(printer);
  node.printer.faults() = faults;
  // Refusing connections means nothing listens: closing the listener
  // makes the system answer connection attempts with a reset. It comes
  // back on the same port.
  if (faults.lpdRefused && node.lpdFd >= 0) {
    epoll_ctl(impl_->epoll, EPOLL_CTL_DEL, node.lpdFd, nullptr);
    close(node.lpdFd);
    node.lpdFd = -1;
  } else if (!faults.lpdRefused && node.lpdFd < 0 && !impl_->stopping) {
    std::string error;
    if (!impl_->OpenListener(node, error)) node.printer.Log("LPD listener not reopened: " + error);
  }
}

Faults Simulator::GetFaults(size_t printer) const {
  std::lock_guard lock(impl_->mutex);
  return impl_->At(printer).printer.faults();
}

void Simulator::RunJob(size_t printer, const std::string& data) {
  std::lock_guard lock(impl_->mutex);
  impl_->At(printer).printer.RunDataFile(data);
  // A busy printer's job comes due later: the loop must wait for it.
  uint64_t one = 1;
  [[maybe_unused]] ssize_t n = write(impl_->wake, &one, sizeof one);
}

std::vector<Font> Simulator::Fonts(size_t printer) const {
  std::lock_guard lock(impl_->mutex);
  Printer& state = impl_->At(printer).printer;
  state.FinishDueDeletions();
  return state.Fonts();
}

std::vector<Job> Simulator::Jobs(size_t printer) const {
  std::lock_guard lock(impl_->mutex);
  const std::deque<Job>& jobs = impl_->At(printer).printer.jobs();
  return {jobs.begin(), jobs.end()};
}

std::vector<std::string> Simulator::PrintedPages(size_t printer) const {
  std::lock_guard lock(impl_->mutex);
  const std::deque<std::string>& pages = impl_->At(printer).printer.pages();
  return {pages.begin(), pages.end()};
}

std::set<int32_t> Simulator::StoredMacros(size_t printer) const {
  std::lock_guard lock(impl_->mutex);
  return impl_->At(printer).printer.StoredMacroIds();
}

std::set<std::string> Simulator::StoredForms(size_t printer) const {
  std::lock_guard lock(impl_->mutex);
  return impl_->At(printer).printer.StoredFormNames();
}

std::optional<std::string> Simulator::ReadFile(size_t printer, Volume volume, const std::string& path) const {
  std::lock_guard lock(impl_->mutex);
  const StorageVolume* storage = impl_->At(printer).printer.FindVolume(volume);
  std::optional<std::string> normalized = NormalizeVolumePath(path);
  if (!storage || !normalized) return std::nullopt;
  return storage->Read(*normalized);
}

uint64_t Simulator::UsedBytes(size_t printer, Volume volume) const {
  std::lock_guard lock(impl_->mutex);
  const StorageVolume* storage = impl_->At(printer).printer.FindVolume(volume);
  return storage ? storage->used() : 0;
}

std::vector<std::string> Simulator::LogLines(size_t printer) const {
  std::lock_guard lock(impl_->mutex);
  return impl_->At(printer).printer.log();
}

void Simulator::SetLogSink(std::function<void(size_t printer, const std::string& line)> sink) {
  std::lock_guard lock(impl_->mutex);
  impl_->sink = std::move(sink);
}

}  // namespace printer_sim
