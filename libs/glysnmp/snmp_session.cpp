#include "snmp_session.h"

#include <arpa/inet.h>
#include <poll.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "snmp_trace.h"

namespace glysnmp {
namespace {

std::mutex& usmUsersLock() {
  static std::mutex* lock = new std::mutex;  // outlives every caller, also at exit
  return *lock;
}

// Held for v3 sessions only.
std::optional<std::unique_lock<std::mutex>> LockFor(SnmpVersion version) {
  if (version != SnmpVersion::kV3) return std::nullopt;
  return std::unique_lock(usmUsersLock());
}

void SetV3Security(const V3Credentials& v3, netsnmp_session& config) {
  config.version = SNMP_VERSION_3;
  config.securityModel = SNMP_SEC_MODEL_USM;
  config.securityName = const_cast<char*>(v3.user.c_str());
  config.securityNameLen = v3.user.size();
  config.securityLevel = v3.level;
  if (v3.level >= SNMP_SEC_LEVEL_AUTHNOPRIV) {
    config.securityAuthProto = const_cast<oid*>(v3.authProtocol);
    config.securityAuthProtoLen = v3.authProtocolLength;
    std::copy(v3.authKey.begin(), v3.authKey.end(), config.securityAuthKey);
    config.securityAuthKeyLen = v3.authKeyLength;
  }
  if (v3.level == SNMP_SEC_LEVEL_AUTHPRIV) {
    config.securityPrivProto = const_cast<oid*>(v3.privProtocol);
    config.securityPrivProtoLen = v3.privProtocolLength;
    std::copy(v3.privKey.begin(), v3.privKey.end(), config.securityPrivKey);
    config.securityPrivKeyLen = v3.privKeyLength;
  }
}

void WipeKeys(netsnmp_session& session) {
  explicit_bzero(session.securityAuthKey, sizeof session.securityAuthKey);
  explicit_bzero(session.securityPrivKey, sizeof session.securityPrivKey);
}

// Takes the session's user out of net-snmp's list and frees it, which
// wipes its localised keys.
void ForgetUser(const netsnmp_session& session) {
  if (session.securityName == nullptr) return;
  usmUser* user = usm_get_user(session.securityEngineID, session.securityEngineIDLen, session.securityName);
  if (user == nullptr) return;
  usm_remove_user(user);
  usm_free_user(user);
}

// Datagrams the session of this thread's exchange received. net-snmp drops
// a message it cannot read (or one that answers another request) without
// a word to the session, which then waits out its time-out: counting what
// its transport received tells such answers from silence.
using ReceiveFunction = int (*)(netsnmp_transport*, void*, int, void**, int*);
thread_local ReceiveFunction tTransportReceive = nullptr;
thread_local unsigned tDatagramsReceived = 0;

int CountingReceive(netsnmp_transport* transport, void* buffer, int size, void** opaque, int* opaqueLength) {
  const int received = tTransportReceive(transport, buffer, size, opaque, opaqueLength);
  if (received > 0) ++tDatagramsReceived;
  return received;
}

// Counts what the session's transport receives while it lives; the
// session is used by one thread at a time, and only within the exchange.
class DatagramCount {
 public:
  explicit DatagramCount(void* handle) : transport_(snmp_sess_transport(handle)) {
    if (transport_ == nullptr || transport_->f_recv == nullptr) return;
    tTransportReceive = transport_->f_recv;
    tDatagramsReceived = 0;
    transport_->f_recv = CountingReceive;
  }
  ~DatagramCount() {
    if (transport_ != nullptr && transport_->f_recv == CountingReceive) transport_->f_recv = tTransportReceive;
  }
  DatagramCount(const DatagramCount&) = delete;
  DatagramCount& operator=(const DatagramCount&) = delete;

  unsigned received() const { return tDatagramsReceived; }

 private:
  netsnmp_transport* transport_;
};

}  // namespace

Pdu MakeRequest(int command, const std::vector<Oid>& names) {
  Pdu pdu(snmp_pdu_create(command));
  for (const Oid& name : names) snmp_add_null_var(pdu.get(), name.data(), name.size());
  return pdu;
}

std::string PeerName(uint32_t address, uint16_t port) {
  char text[40];
  std::snprintf(text, sizeof text, "udp:%u.%u.%u.%u:%u", address >> 24, (address >> 16) & 0xff,
                (address >> 8) & 0xff, address & 0xff, static_cast<unsigned>(port));
  return text;
}

int32_t FailureOf(int netSnmpError) {
  switch (netSnmpError) {
    case SNMPERR_SUCCESS: return kSnmpOk;
    case SNMPERR_AUTHENTICATION_FAILURE:
    case SNMPERR_USM_AUTHENTICATIONFAILURE: return kSnmpAuthenticationFailed;
    case SNMPERR_UNKNOWN_USER_NAME:
    case SNMPERR_USM_UNKNOWNSECURITYNAME: return kSnmpUnknownUser;
    case SNMPERR_UNSUPPORTED_SEC_LEVEL:
    case SNMPERR_USM_UNSUPPORTEDSECURITYLEVEL: return kSnmpLevelNotAllowed;
    case SNMPERR_DECRYPTION_ERR:
    case SNMPERR_USM_DECRYPTIONERROR: return kSnmpDecryptionFailed;
  }
  return kSnmpNoAnswer;
}

std::unique_ptr<Session> Session::Open(const Peer& peer, const SnmpSettings& settings, int32_t* failure) {
  if (peer.version == SnmpVersion::kV3 && peer.v3)
    StartNetSnmpV3();
  else
    StartNetSnmp();
  if (failure != nullptr) *failure = kSnmpNoAnswer;
  netsnmp_session config;
  snmp_sess_init(&config);
  std::string peerName = PeerName(peer.address, settings.port);
  std::string community = peer.community;
  config.peername = peerName.data();
  config.timeout = static_cast<long>(settings.timeoutMs) * 1000;
  config.retries = static_cast<int>(settings.retries);
  if (peer.version == SnmpVersion::kV3 && peer.v3) {
    SetV3Security(*peer.v3, config);
  } else {
    config.version = peer.version == SnmpVersion::kV1 ? SNMP_VERSION_1 : SNMP_VERSION_2c;
    config.community = reinterpret_cast<u_char*>(community.data());
    config.community_len = community.size();
  }
  SnmpVersion version = config.version == SNMP_VERSION_3 ? SnmpVersion::kV3 : peer.version;
  auto lock = LockFor(version);
  // snmp_sess_open copies what it keeps of `config`; for v3 it asks the
  // agent for its engine ID before it returns.
  void* handle = snmp_sess_open(&config);
  WipeKeys(config);
  if (handle == nullptr) {
    if (failure != nullptr) *failure = FailureOf(config.s_snmp_errno);
    return nullptr;
  }
  if (failure != nullptr) *failure = kSnmpOk;
  std::unique_ptr<Session> session(new Session(handle, version, std::move(lock)));
  if (version == SnmpVersion::kV2c) {
    session->address_ = peer.address;
    session->port_ = settings.port;
  }
  return session;
}

Session::~Session() {
  if (netsnmp_session* session = snmp_sess_session(handle_); session != nullptr && version_ == SnmpVersion::kV3) {
    ForgetUser(*session);
    WipeKeys(*session);
  }
  snmp_sess_close(handle_);
  if (socket_ >= 0) close(socket_);
  std::free(packet_);
}

Pdu Session::Exchange(Pdu request) {
  netsnmp_pdu* answer = nullptr;
  DatagramCount datagrams(handle_);
  netsnmp_session* session = snmp_sess_session(handle_);
  TraceSnmpRequest(session, request.get());
  // The request is the library's from here on, whatever the outcome.
  int status = snmp_sess_synch_response(handle_, request.release(), &answer);
  Pdu owned(answer);
  if (status == STAT_SUCCESS) {
    failure_ = kSnmpOk;
  } else if (status == STAT_TIMEOUT || session == nullptr) {
    failure_ = datagrams.received() > 0 ? kSnmpMalformedAnswer : kSnmpNoAnswer;
  } else {
    failure_ = FailureOf(session->s_snmp_errno);
  }
  TraceSnmpAnswer(session, failure_ == kSnmpOk ? owned.get() : nullptr, failure_);
  return failure_ == kSnmpOk ? std::move(owned) : nullptr;
}

bool Session::OpenSocket() {
  if (socket_ >= 0) return true;
  socket_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (socket_ < 0) return false;
  sockaddr_in agent{};
  agent.sin_family = AF_INET;
  agent.sin_port = htons(port_);
  agent.sin_addr.s_addr = htonl(address_);
  // Connected, so that the kernel drops datagrams from anyone else.
  if (connect(socket_, reinterpret_cast<const sockaddr*>(&agent), sizeof agent) == 0) return true;
  close(socket_);
  socket_ = -1;
  return false;
}

std::optional<int32_t> Session::Send(Pdu request) {
  netsnmp_session* session = snmp_sess_session(handle_);
  if (version_ != SnmpVersion::kV2c || session == nullptr || !OpenSocket()) return std::nullopt;
  const auto requestId = static_cast<int32_t>(snmp_get_next_reqid());
  request->reqid = requestId;
  request->version = session->version;
  // net-snmp encodes from the end of its buffer backwards, growing it when
  // needed; the buffer serves every request of the session.
  size_t length = 0;
  if (packet_ == nullptr) {
    packetSize_ = 2048;
    packet_ = static_cast<u_char*>(std::malloc(packetSize_));
  }
  if (packet_ == nullptr || snmp_build(&packet_, &packetSize_, &length, session, request.get()) != 0)
    return std::nullopt;
  const u_char* message = packet_ + packetSize_ - length;
  TraceSnmpRequest(session, request.get());
  if (send(socket_, message, length, 0) < 0) return std::nullopt;
  const auto timeout = std::chrono::microseconds(session->timeout);
  inFlight_.push_back({requestId, std::vector<u_char>(message, message + length),
                       std::chrono::steady_clock::now() + timeout, session->retries});
  return requestId;
}

std::optional<int32_t> Session::AwaitAnswer(AnswerBuffer& answer) {
  using Clock = std::chrono::steady_clock;
  // Requests are in flight only once Send found the session.
  netsnmp_session* session = snmp_sess_session(handle_);
  const auto awaited = [this](int32_t id) {
    return std::any_of(inFlight_.begin(), inFlight_.end(), [id](const InFlight& request) { return request.id == id; });
  };
  failure_ = kSnmpNoAnswer;
  while (!inFlight_.empty()) {
    const Clock::time_point now = Clock::now();
    Clock::time_point next = Clock::time_point::max();
    for (InFlight& request : inFlight_) {
      if (request.deadline <= now) {
        if (request.triesLeft == 0 || send(socket_, request.message.data(), request.message.size(), 0) < 0) {
          inFlight_.clear();
          break;
        }
        --request.triesLeft;
        request.deadline = now + std::chrono::microseconds(session->timeout);
      }
      next = std::min(next, request.deadline);
    }
    if (inFlight_.empty()) break;
    pollfd readable{socket_, POLLIN, 0};
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
    if (poll(&readable, 1, static_cast<int>(wait)) <= 0) continue;
    const ssize_t size = recv(socket_, answer.data(), AnswerBuffer::kMostBytes, MSG_DONTWAIT);
    // Anything but the answer to a request in flight (a late answer to one
    // abandoned, say) is passed over, and told if nothing else comes.
    if (size > 0 && answer.Decode(static_cast<size_t>(size), awaited)) {
      const int32_t id = answer.requestId();
      std::erase_if(inFlight_, [id](const InFlight& request) { return request.id == id; });
      failure_ = kSnmpOk;
      TraceSnmpAnswerSize(session, static_cast<size_t>(size), failure_);
      return id;
    }
    if (size > 0) failure_ = kSnmpMalformedAnswer;
  }
  TraceSnmpAnswerSize(session, 0, failure_);
  return std::nullopt;
}

}  // namespace glysnmp
