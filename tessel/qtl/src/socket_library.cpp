#include "socket_library.h"

#include <cstring>

#include "critical_section_lock.h"
#include "frame.h"
#include "platform/error.h"
#include "platform/module.h"

namespace tessel::qtl {
namespace {

// One slot of an entry-point table: where the address goes, and its name.
struct EntryPoint {
  FARPROC* slot;
  const char* name;
};

template <typename Function>
FARPROC* Slot(Function& function) {
  return reinterpret_cast<FARPROC*>(&function);
}

SocketLibrary winsock;
EchoLibrary icmp;

const EntryPoint kWinsockEntries[] = {
    {Slot(winsock.WSAStartup), "WSAStartup"},
    {Slot(winsock.WSACleanup), "WSACleanup"},
    {Slot(winsock.socket), "socket"},
    {Slot(winsock.closesocket), "closesocket"},
    {Slot(winsock.bind), "bind"},
    {Slot(winsock.htons), "htons"},
    {Slot(winsock.htonl), "htonl"},
    {Slot(winsock.ntohs), "ntohs"},
    {Slot(winsock.ntohl), "ntohl"},
    {Slot(winsock.getsockname), "getsockname"},
    {Slot(winsock.getsockopt), "getsockopt"},
    {Slot(winsock.sendto), "sendto"},
    {Slot(winsock.WSAGetLastError), "WSAGetLastError"},
    {Slot(winsock.recvfrom), "recvfrom"},
    {Slot(winsock.WSAAsyncSelect), "WSAAsyncSelect"},
    {Slot(winsock.gethostname), "gethostname"},
    {Slot(winsock.gethostbyname), "gethostbyname"},
    {Slot(winsock.gethostbyaddr), "gethostbyaddr"},
    {Slot(winsock.ioctlsocket), "ioctlsocket"},
    {Slot(winsock.setsockopt), "setsockopt"},
    {Slot(winsock.connect), "connect"},
    {Slot(winsock.send), "send"},
    {Slot(winsock.shutdown), "shutdown"},
    {Slot(winsock.WSAAsyncGetHostByAddr), "WSAAsyncGetHostByAddr"},
    {Slot(winsock.WSAAsyncGetHostByName), "WSAAsyncGetHostByName"},
    {Slot(winsock.WSACancelAsyncRequest), "WSACancelAsyncRequest"},
    {nullptr, nullptr},
};

const EntryPoint kIcmpEntries[] = {
    {Slot(icmp.IcmpCreateFile), "IcmpCreateFile"},
    {Slot(icmp.IcmpCloseHandle), "IcmpCloseHandle"},
    {Slot(icmp.IcmpSendEcho), "IcmpSendEcho"},
    {nullptr, nullptr},
};

// A module bound by name with its count of references.
struct Binding {
  const char* moduleName;
  const EntryPoint* entries;
  int32_t failure;
  HMODULE module;
  int32_t references;
};

Binding winsockBinding{"WSOCK32.DLL", kWinsockEntries, QTLERR_WINSOCK_INIT, nullptr, 0};
Binding icmpBinding{"ICMP.DLL", kIcmpEntries, QTLERR_ICMP_INIT, nullptr, 0};

void ClearSlots(const EntryPoint* entries) {
  for (const EntryPoint* entry = entries; entry->slot; ++entry) *entry->slot = nullptr;
}

int32_t Bind(Binding& binding) {
  CriticalSectionLock lock(InitLock());
  if (binding.references > 0) {
    ++binding.references;
    return QTL_SUCCESS;
  }
  const UINT previousMode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
  HMODULE module = LoadLibraryA(binding.moduleName);
  SetErrorMode(previousMode);
  if (!module) return binding.failure;
  for (const EntryPoint* entry = binding.entries; entry->slot; ++entry) {
    *entry->slot = GetProcAddress(module, entry->name);
    if (!*entry->slot) {
      ClearSlots(binding.entries);
      FreeLibrary(module);
      return binding.failure;
    }
  }
  binding.module = module;
  binding.references = 1;
  return QTL_SUCCESS;
}

void Release(Binding& binding) {
  CriticalSectionLock lock(InitLock());
  if (binding.references == 0) return;
  if (--binding.references > 0) return;
  ClearSlots(binding.entries);
  FreeLibrary(binding.module);
  binding.module = nullptr;
}

}  // namespace

const SocketLibrary& Winsock() { return winsock; }
const EchoLibrary& Icmp() { return icmp; }

int32_t BindSocketLibrary() { return Bind(winsockBinding); }
void ReleaseSocketLibrary() { Release(winsockBinding); }
// Pings on several threads bind and release the echo library at once, so its
// count is kept under the init lock like the socket library's.
int32_t BindEchoLibrary() { return Bind(icmpBinding); }
void ReleaseEchoLibrary() { Release(icmpBinding); }

}  // namespace tessel::qtl
