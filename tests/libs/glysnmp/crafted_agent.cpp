#include "crafted_agent.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace crafted {
namespace {

std::string Length(size_t length) {
  if (length < 0x80) return std::string(1, static_cast<char>(length));
  std::string bytes;
  for (; length != 0; length >>= 8) bytes.insert(bytes.begin(), static_cast<char>(length & 0xff));
  return static_cast<char>(0x80 | bytes.size()) + bytes;
}

std::string Base128(uint64_t value) {
  std::string bytes(1, static_cast<char>(value & 0x7f));
  for (value >>= 7; value != 0; value >>= 7) bytes.insert(bytes.begin(), static_cast<char>(0x80 | (value & 0x7f)));
  return bytes;
}

// A reader of the BER that net-snmp sends.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  bool Next(uint8_t* tag, std::string_view* content) {
    if (at_ + 2 > bytes_.size()) return false;
    *tag = static_cast<uint8_t>(bytes_[at_++]);
    size_t length = static_cast<uint8_t>(bytes_[at_++]);
    if (length & 0x80) {
      size_t count = length & 0x7f;
      if (count > 4 || at_ + count > bytes_.size()) return false;
      length = 0;
      for (size_t i = 0; i < count; ++i) length = (length << 8) | static_cast<uint8_t>(bytes_[at_++]);
    }
    if (at_ + length > bytes_.size()) return false;
    *content = bytes_.substr(at_, length);
    at_ += length;
    return true;
  }
  bool done() const { return at_ >= bytes_.size(); }

 private:
  std::string_view bytes_;
  size_t at_ = 0;
};

int64_t ToInteger(std::string_view content) {
  int64_t value = content.empty() || static_cast<int8_t>(content[0]) >= 0 ? 0 : -1;
  for (char byte : content) value = static_cast<int64_t>((static_cast<uint64_t>(value) << 8) | static_cast<uint8_t>(byte));
  return value;
}

Oid ToOid(std::string_view content) {
  Oid oid;
  uint64_t value = 0;
  for (char byte : content) {
    value = (value << 7) | (static_cast<uint8_t>(byte) & 0x7f);
    if ((static_cast<uint8_t>(byte) & 0x80) == 0) {
      if (oid.empty()) {
        oid.push_back(value < 80 ? value / 40 : 2);
        oid.push_back(value < 80 ? value % 40 : value - 80);
      } else {
        oid.push_back(value);
      }
      value = 0;
    }
  }
  return oid;
}

std::optional<Request> Parse(std::string_view datagram) {
  Request request;
  uint8_t tag = 0;
  std::string_view message, part;
  Reader outer(datagram);
  if (!outer.Next(&tag, &message) || tag != 0x30) return std::nullopt;
  Reader fields(message);
  if (!fields.Next(&tag, &part)) return std::nullopt;
  request.version = ToInteger(part);
  if (!fields.Next(&tag, &part)) return std::nullopt;
  request.community = std::string(part);
  std::string_view pdu;
  if (!fields.Next(&request.command, &pdu)) return std::nullopt;
  Reader header(pdu);
  if (!header.Next(&tag, &part)) return std::nullopt;
  request.requestId = ToInteger(part);
  if (!header.Next(&tag, &part)) return std::nullopt;
  if (!header.Next(&tag, &part)) return std::nullopt;
  request.maxRepetitions = ToInteger(part);
  std::string_view list;
  if (!header.Next(&tag, &list)) return std::nullopt;
  Reader bindings(list);
  std::string_view binding;
  while (bindings.Next(&tag, &binding)) {
    Reader inside(binding);
    if (!inside.Next(&tag, &part)) return std::nullopt;
    request.names.push_back(ToOid(part));
  }
  return request;
}

}  // namespace

std::string Tlv(uint8_t tag, const std::string& content) { return static_cast<char>(tag) + Length(content.size()) + content; }

std::string Integer(int64_t value, uint8_t tag) {
  std::string bytes;
  for (int shift = 56; shift >= 0; shift -= 8) bytes += static_cast<char>((static_cast<uint64_t>(value) >> shift) & 0xff);
  // Shortest form: drop leading bytes that only repeat the sign.
  while (bytes.size() > 1 && ((bytes[0] == 0 && (bytes[1] & 0x80) == 0) ||
                              (static_cast<uint8_t>(bytes[0]) == 0xff && (bytes[1] & 0x80) != 0))) {
    bytes.erase(bytes.begin());
  }
  return Tlv(tag, bytes);
}

std::string Text(const std::string& bytes) { return Tlv(0x04, bytes); }

std::string ObjectId(const Oid& oid) {
  std::string bytes = Base128(oid.size() >= 2 ? oid[0] * 40 + oid[1] : 0);
  for (size_t i = 2; i < oid.size(); ++i) bytes += Base128(oid[i]);
  return Tlv(0x06, bytes);
}

std::string Null() { return Tlv(0x05, ""); }

std::string VarBind(const Oid& name, const std::string& value) { return Tlv(0x30, ObjectId(name) + value); }

std::string ResponseWithId(const Request& request, int64_t requestId, const std::vector<std::string>& varBinds,
                           int64_t errorStatus, int64_t errorIndex) {
  std::string list;
  for (const std::string& binding : varBinds) list += binding;
  std::string pdu = Integer(requestId) + Integer(errorStatus) + Integer(errorIndex) + Tlv(0x30, list);
  return Tlv(0x30, Integer(request.version) + Text(request.community) + Tlv(0xa2, pdu));
}

std::string Response(const Request& request, const std::vector<std::string>& varBinds, int64_t errorStatus,
                     int64_t errorIndex) {
  return ResponseWithId(request, request.requestId, varBinds, errorStatus, errorIndex);
}

Oid Join(Oid prefix, std::initializer_list<uint64_t> suffix) {
  prefix.insert(prefix.end(), suffix);
  return prefix;
}

std::vector<std::string> Serve(const Request& request, const std::map<Oid, std::string>& objects) {
  std::vector<std::string> bindings;
  if (request.command == 0xa0) {
    for (const Oid& name : request.names) {
      auto found = objects.find(name);
      bindings.push_back(VarBind(name, found != objects.end() ? found->second : Tlv(0x81, "")));
    }
    return {Response(request, bindings)};
  }
  std::vector<Oid> cursors = request.names;
  int64_t rounds = request.command == 0xa5 ? std::max<int64_t>(request.maxRepetitions, 1) : 1;
  for (int64_t round = 0; round < rounds; ++round) {
    for (size_t i = 0; i < cursors.size(); ++i) {
      auto next = objects.upper_bound(cursors[i]);
      if (next == objects.end()) {
        if (request.version == 0) return {Response(request, {}, 2, static_cast<int64_t>(i + 1))};
        bindings.push_back(VarBind(cursors[i], Tlv(0x82, "")));
        continue;
      }
      cursors[i] = next->first;
      bindings.push_back(VarBind(next->first, next->second));
    }
  }
  return {Response(request, bindings)};
}

Agent::Agent(const std::string& address, Handler handler) : handler_(std::move(handler)) {
  socket_ = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  inet_pton(AF_INET, address.c_str(), &local.sin_addr);
  socklen_t size = sizeof local;
  if (socket_ < 0 || bind(socket_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      getsockname(socket_, reinterpret_cast<sockaddr*>(&local), &size) != 0 || pipe(stopPipe_) != 0) {
    throw std::runtime_error("crafted agent: cannot listen on " + address);
  }
  port_ = ntohs(local.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

Agent::~Agent() {
  (void)!write(stopPipe_[1], "x", 1);
  thread_.join();
  close(socket_);
  close(stopPipe_[0]);
  close(stopPipe_[1]);
}

size_t Agent::RequestCount() {
  std::lock_guard lock(mutex_);
  return requests_;
}

void Agent::Serve() {
  for (;;) {
    pollfd waits[2] = {{socket_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
    if (poll(waits, 2, -1) < 0 || (waits[1].revents & POLLIN)) return;
    char buffer[65536];
    sockaddr_in from{};
    socklen_t size = sizeof from;
    ssize_t got = recvfrom(socket_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &size);
    if (got <= 0) continue;
    std::optional<Request> request = Parse(std::string_view(buffer, static_cast<size_t>(got)));
    if (!request) continue;
    {
      std::lock_guard lock(mutex_);
      ++requests_;
    }
    for (const std::string& answer : handler_(*request)) {
      sendto(socket_, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from), size);
    }
  }
}

}  // namespace crafted
