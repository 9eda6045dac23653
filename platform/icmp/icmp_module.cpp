// The built-in "ICMP.DLL": IcmpCreateFile, IcmpSendEcho, IcmpCloseHandle.
//
// A handle records which socket kind echoes use; each echo opens its own
// socket, so one handle may serve several threads at once. Handles are
// looked up in a set: a closed or made-up one fails with
// ERROR_INVALID_HANDLE.
#include <mutex>
#include <unordered_map>

#include "builtin_modules.h"
#include "echo.h"
#include "platform/error.h"
#include "platform/sync.h"

namespace icmp {
namespace {

struct Handles {
  std::mutex lock;
  std::unordered_map<uintptr_t, SocketKind> open;
  uintptr_t next = 1;
};

Handles& handles() {
  static Handles* instance = new Handles;
  return *instance;
}

HANDLE IcmpCreateFile(void) {
  SocketKind kind;
  if (!usable_socket_kind(kind)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  Handles& h = handles();
  std::lock_guard<std::mutex> guard(h.lock);
  const uintptr_t id = h.next++;
  h.open.emplace(id, kind);
  return reinterpret_cast<HANDLE>(id);
}

BOOL IcmpCloseHandle(HANDLE icmp) {
  Handles& h = handles();
  std::lock_guard<std::mutex> guard(h.lock);
  if (h.open.erase(reinterpret_cast<uintptr_t>(icmp)) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

DWORD IcmpSendEcho(HANDLE icmp, IPAddr destination, void* requestData, WORD requestSize,
                   IP_OPTION_INFORMATION* requestOptions, void* replyBuffer, DWORD replySize,
                   DWORD timeout) {
  SocketKind kind;
  {
    Handles& h = handles();
    std::lock_guard<std::mutex> guard(h.lock);
    auto found = h.open.find(reinterpret_cast<uintptr_t>(icmp));
    if (found == h.open.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return 0;
    }
    kind = found->second;
  }
  if (requestData == nullptr && requestSize > 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (replyBuffer == nullptr || replySize < sizeof(ICMP_ECHO_REPLY)) {
    SetLastError(IP_BUF_TOO_SMALL);
    return 0;
  }
  return send_echo(kind, destination, requestData, requestSize, requestOptions, replyBuffer,
                   replySize, timeout);
}

const PlatformExport kExports[] = {
    {"IcmpCreateFile", platform_entry<LPFN_ICMPCREATEFILE>(IcmpCreateFile)},
    {"IcmpCloseHandle", platform_entry<LPFN_ICMPCLOSEHANDLE>(IcmpCloseHandle)},
    {"IcmpSendEcho", platform_entry<LPFN_ICMPSENDECHO>(IcmpSendEcho)},
    {nullptr, nullptr},
};

const PlatformModuleTable kModule{"ICMP.DLL", kExports};

}  // namespace
}  // namespace icmp

const PlatformModuleTable* platform_icmp_module() { return &icmp::kModule; }
