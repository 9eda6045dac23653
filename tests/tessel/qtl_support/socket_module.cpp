#include "socket_module.h"

#include <gtest/gtest.h>

namespace {

const char* const kEntryPoints[] = {
    "WSAStartup",     "WSACleanup",      "socket",        "closesocket",
    "bind",           "htons",           "htonl",         "ntohs",
    "ntohl",          "getsockname",     "getsockopt",    "sendto",
    "WSAGetLastError", "recvfrom",       "WSAAsyncSelect", "gethostname",
    "gethostbyname",  "gethostbyaddr",   "ioctlsocket",   "setsockopt",
    "connect",        "send",            "shutdown",      "WSAAsyncGetHostByAddr",
    "WSAAsyncGetHostByName", "WSACancelAsyncRequest"};

}  // namespace

FARPROC ReplacedSocketModule::Original(const char* name) {
  HMODULE module = LoadLibraryA("WSOCK32.DLL");
  FARPROC address = GetProcAddress(module, name);
  FreeLibrary(module);
  return address;
}

ReplacedSocketModule::ReplacedSocketModule(const std::map<std::string, FARPROC>& overrides) {
  names_.reserve(std::size(kEntryPoints));
  for (const char* name : kEntryPoints) {
    auto replaced = overrides.find(name);
    FARPROC address = replaced == overrides.end() ? Original(name) : replaced->second;
    if (!address) continue;
    names_.push_back(name);
    exports_.push_back({names_.back().c_str(), address});
  }
  exports_.push_back({nullptr, nullptr});
  table_ = {"WSOCK32.DLL", exports_.data()};
  EXPECT_TRUE(PlatformReplaceModule(&table_));
}

ReplacedSocketModule::~ReplacedSocketModule() { PlatformRestoreModule("WSOCK32.DLL"); }
