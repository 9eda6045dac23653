// WSAStartup / WSACleanup: a process-wide count of outstanding start-ups.
#include <atomic>
#include <cstdio>
#include <cstring>

#include "entry_points.h"
#include "platform/error.h"

namespace wsock32 {
namespace {

constexpr WORD kHighestVersion = 0x0101;
// 65535 less the IPv4 and UDP headers.
constexpr unsigned short kMaxUdpDatagram = 65507;
constexpr unsigned short kMaxSockets = 32767;

// Changed under startup_lock; read without it by every call.
std::mutex startup_lock;
std::atomic<int> start_count{0};

void describe(WORD granted, WSADATA* data) {
  std::memset(data, 0, sizeof(*data));
  data->wVersion = granted;
  data->wHighVersion = kHighestVersion;
  std::snprintf(data->szDescription, sizeof(data->szDescription),
                "Windows Sockets 1.1 on POSIX sockets");
  std::snprintf(data->szSystemStatus, sizeof(data->szSystemStatus), "Running");
  data->iMaxSockets = kMaxSockets;
  data->iMaxUdpDg = kMaxUdpDatagram;
}

}  // namespace

bool started() {
  if (start_count.load() > 0) return true;
  SetLastError(WSANOTINITIALISED);
  return false;
}

// Versions 1.0 and 1.1 are offered: a request for 1.1 or above gets 1.1,
// one for 1.0 gets 1.0, anything below is refused. As in Winsock the
// error is the result, not the last error.
int ws_WSAStartup(WORD versionRequested, WSADATA* data) {
  const BYTE major = versionRequested & 0xFF;
  const BYTE minor = versionRequested >> 8;
  if (data == nullptr) return WSAEFAULT;
  if (major == 0) {
    describe(0, data);
    return WSAVERNOTSUPPORTED;
  }
  describe(major > 1 || minor >= 1 ? kHighestVersion : versionRequested, data);
  std::lock_guard<std::mutex> guard(startup_lock);
  ++start_count;
  return 0;
}

// The last WSACleanup closes the sockets still open and cancels the
// look-ups still running, as Winsock does.
int ws_WSACleanup(void) {
  std::unique_lock<std::mutex> guard(startup_lock);
  if (start_count == 0) return fail(WSANOTINITIALISED);
  if (--start_count > 0) return 0;
  guard.unlock();
  for (const SocketRef& socket : take_all_sockets()) close_socket(socket);
  cancel_all_lookups();
  return 0;
}

}  // namespace wsock32
