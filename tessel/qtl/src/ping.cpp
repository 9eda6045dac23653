// QTLPing: an ICMP echo for IP targets, an IPX datagram for IPX targets.
#include <cstring>

#include "address_text.h"
#include "frame.h"
#include "platform/error.h"
#include "socket_library.h"

namespace tessel::qtl {
namespace {

constexpr uint16_t kIpxPingSocket = 22020;
// Only a notifier installed by the IPX ping ends the delay.
constexpr uintptr_t kIpxPingNotifierData = kIpxPingSocket;
// The characters " " to "&".
constexpr char kIpRequest[] = " !\"#$%&";
constexpr WORD kRequestSize = 7;
static_assert(sizeof kIpRequest == kRequestSize + 1);
// Room for the reply record, the echoed request and 8 bytes more, so that
// the echo library never has to cut what comes back.
constexpr DWORD kReplySize = sizeof(ICMP_ECHO_REPLY) + kRequestSize + 8;
constexpr int64_t kLongestWait = 0xFFFFFFFE;  // milliseconds; one below "for ever"

int32_t EchoStatus(DWORD status) {
  if (status == IP_SUCCESS) return QTL_SUCCESS;
  return status == IP_REQ_TIMED_OUT ? QTLERR_PING_TIMEOUT : QTLERR_PING_ERROR;
}

// The reply record is only read when the echo library wrote one; without a
// reply its reason is the last error.
int32_t SendIpEcho(HANDLE icmp, uint32_t address, int32_t seconds) {
  alignas(ICMP_ECHO_REPLY) unsigned char reply[kReplySize] = {};
  char request[sizeof kIpRequest];
  std::memcpy(request, kIpRequest, sizeof request);
  const int64_t milliseconds = int64_t(seconds) * 1000;
  const DWORD timeout = DWORD(milliseconds < kLongestWait ? milliseconds : kLongestWait);
  const DWORD replies = Icmp().IcmpSendEcho(icmp, Winsock().htonl(address), request, kRequestSize,
                                            nullptr, reply, kReplySize, timeout);
  if (replies == 0) return EchoStatus(GetLastError());
  ICMP_ECHO_REPLY record;
  std::memcpy(&record, reply, sizeof record);
  return EchoStatus(record.Status);
}

int32_t IpPing(uint32_t address, int32_t seconds) {
  if (const int32_t status = StartRequest(QTL_PROTO_UDP)) return status;
  int32_t status = BindEchoLibrary();
  if (status == QTL_SUCCESS) {
    HANDLE icmp = Icmp().IcmpCreateFile();
    if (icmp == INVALID_HANDLE_VALUE) {
      status = QTLERR_ICMP_INIT;
    } else {
      status = SendIpEcho(icmp, address, seconds);
      Icmp().IcmpCloseHandle(icmp);
    }
    ReleaseEchoLibrary();
  }
  StopRequest(QTL_PROTO_UDP);
  return status;
}

// A datagram back is the answer. Other events, such as the endpoint
// becoming writable, say nothing about the target.
void EndOnAnswer(QTLEndpoint, int32_t event, int32_t, uintptr_t data) {
  if (data == kIpxPingNotifierData && event == QTLEV_DATA) QTLCancelDelay(1);
}

// Any datagram from the target within the time is the answer; its content
// is not looked at.
int32_t PingOnEndpoint(QTLEndpoint endpoint, const NetAddress& target, int32_t seconds) {
  const uint8_t request[kRequestSize] = {};
  int32_t status = QTLBind(endpoint, kIpxPingSocket);
  if (status == QTL_SUCCESS) {
    status = QTLInstallNotifier(endpoint, EndOnAnswer, kIpxPingNotifierData);
  }
  if (status == QTL_SUCCESS) status = QTLArmDelay();
  if (status == QTL_SUCCESS) status = QTLSendPacket(endpoint, target, request, kRequestSize);
  if (status == QTL_SUCCESS) status = QTLDelay(seconds);
  return status;
}

int32_t IpxPing(const NetAddress& target, int32_t seconds) {
  if (const int32_t status = StartRequest(QTL_PROTO_IPX)) return status;
  int32_t status = QTLERR_BLOCKING;
  if (!QTLIsDelaying()) {
    if (QTLEndpoint endpoint = QTLOpenEndpoint(QTL_PROTO_IPX, QTL_MODE_READ, &status)) {
      status = PingOnEndpoint(endpoint, target, seconds);
      QTLCloseEndpoint(endpoint);
    }
  }
  StopRequest(QTL_PROTO_IPX);
  return status;
}

}  // namespace
}  // namespace tessel::qtl

using namespace tessel::qtl;

int32_t QTLPing(const NetAddress* target, int32_t seconds) {
  if (!target || seconds <= 0) return QTLERR_INVALID_PARAM;
  switch (AddressFamily(target->protocol)) {
    case kIpFormat:
      return IpPing(target->u.ip.address, seconds);
    case kIpxFormat:
      return IpxPing(*target, seconds);
    default:
      return QTL_SUCCESS;
  }
}
