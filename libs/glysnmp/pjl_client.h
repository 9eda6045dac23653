// One connection to a printer's AppSocket port (raw TCP, 9100) for PJL
// queries and the printer-language readback that comes back on it. Every
// exchange ends in a PJL ECHO of a marker of ours: what the printer
// answered before the marker is the reply, and a command the printer
// ignores (file-system access switched off) shows as an empty reply
// instead of a time-out. Every send and every read waits at most the
// time-out, and no reply is taken beyond the size the caller allows.
//   GLY_RAW_PORT        the printer's AppSocket port (9100)
//   GLY_PJL_TIMEOUT_MS  wait for one reply, in milliseconds (5000)
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace glysnmp {

struct PjlSettings {
  uint16_t port = 9100;
  uint32_t timeoutMs = 5000;
};

PjlSettings ReadPjlSettings();

class PjlClient {
 public:
  // Connects and opens a PJL job, with the job password when `password`
  // is not 0; null when the printer cannot be reached.
  static std::unique_ptr<PjlClient> Open(uint32_t address, uint32_t password, const PjlSettings& settings);
  ~PjlClient();
  PjlClient(const PjlClient&) = delete;
  PjlClient& operator=(const PjlClient&) = delete;

  // Sends `request` (PJL lines, or printer-language data that leaves the
  // printer back in PJL) and returns what the printer answered to it;
  // nullopt on a time-out, a closed connection or a reply over `mostBytes`.
  std::optional<std::string> Exchange(std::string_view request, size_t mostBytes);

 private:
  PjlClient(int fd, uint32_t timeoutMs) : fd_(fd), timeoutMs_(timeoutMs) {}
  bool Send(std::string_view bytes);

  int fd_;
  uint32_t timeoutMs_;
  uint32_t exchanges_ = 0;
};

// "@PJL <command>\r\n".
std::string PjlLine(std::string_view command);

}  // namespace glysnmp
