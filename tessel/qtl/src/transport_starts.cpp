#include "transport_starts.h"

#include "frame.h"
#include "socket_library.h"
#include "tessel/qtl.h"
#include "transport_log.h"

namespace tessel::qtl {
namespace {

void CountStart(StartCount& count) {
  if (count.starts++ == 0) {
    MarkLoaded(count.bit, true);
    LogLine(QRTL_LOG_INFO, "%s transport loaded", count.name);
  }
}

// Drops one start; true when it was the last.
bool CountStop(StartCount& count, void (*lastRelease)()) {
  if (count.starts == 0 || --count.starts > 0) return false;
  if (lastRelease) lastRelease();
  MarkLoaded(count.bit, false);
  LogLine(QRTL_LOG_INFO, "%s transport unloaded", count.name);
  return true;
}

void ReleaseStart(SocketLibraryTransport& transport) {
  CountStop(transport.count, transport.lastRelease);
  ReleaseSocketLibrary();
}

// A test socket of the kind the transport opens.
bool CanMakeSocket(int family, int type, int protocol) {
  const SOCKET probe = Winsock().socket(family, type, protocol);
  if (probe == WS_INVALID_SOCKET) return false;
  Winsock().closesocket(probe);
  return true;
}

}  // namespace

int32_t StartSocketLibraryTransport(SocketLibraryTransport& transport, WSADATA* data) {
  if (BindSocketLibrary() != QTL_SUCCESS) return transport.initFailure;
  CountStart(transport.count);
  const int result = Winsock().WSAStartup(0x0101, data);
  bool started = result == 0;
  if (!started) {
    LogLine(QRTL_LOG_ERROR, "WSAStartup returned %d", result);
  } else if ((data->wVersion & 0xFF) != 1 || (data->wVersion >> 8) != (data->wVersion & 0xFF)) {
    Winsock().WSACleanup();
    started = false;
  } else if (transport.count.starts == 1 &&
             !CanMakeSocket(transport.family, transport.type, transport.protocol)) {
    Winsock().WSACleanup();
    started = false;
  }
  if (started) return QTL_SUCCESS;
  ReleaseStart(transport);
  return transport.initFailure;
}

void StopSocketLibraryTransport(SocketLibraryTransport& transport) {
  if (transport.count.starts == 0) return;
  Winsock().WSACleanup();
  ReleaseStart(transport);
}

int32_t StartLayeredTransport(LayeredTransport& transport) {
  if (StartRequest(transport.base) != QTL_SUCCESS) return transport.initFailure;
  CountStart(transport.count);
  if (transport.count.starts == 1 &&
      !CanMakeSocket(transport.family, transport.type, transport.protocol)) {
    StopLayeredTransport(transport);
    return transport.initFailure;
  }
  return QTL_SUCCESS;
}

void StopLayeredTransport(LayeredTransport& transport) {
  if (transport.count.starts == 0) return;
  CountStop(transport.count, nullptr);
  StopRequest(transport.base);
}

}  // namespace tessel::qtl
