#include "exchange_trace.h"

#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr const char* kNames[] = {"snmp", "pjl", "ipp", "lpr", "raw"};

const char* NameOf(TraceProtocol protocol) { return kNames[static_cast<int>(protocol)]; }

// Whether the comma-separated `list` holds `name` or "all".
bool Lists(std::string_view list, std::string_view name) {
  while (!list.empty()) {
    const size_t comma = list.find(',');
    const std::string_view item = list.substr(0, comma);
    if (item == name || item == "all") return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

void WriteWhole(int fd, const std::string& line) {
  size_t written = 0;
  while (written < line.size()) {
    const ssize_t n = write(fd, line.data() + written, line.size() - written);
    if (n <= 0) return;  // a trace that cannot be written is left out
    written += static_cast<size_t>(n);
  }
}

}  // namespace

bool Tracing(TraceProtocol protocol) {
  const char* list = std::getenv("GLY_TRACE");
  return list != nullptr && Lists(list, NameOf(protocol));
}

std::string TraceText(std::string_view bytes, size_t most) {
  std::string text;
  const std::string_view shown = bytes.substr(0, most);
  for (const char c : shown) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n') {
      text += "\\n";
    } else if (c == '\\') {
      text += "\\\\";
    } else if (byte < 0x20 || byte >= 0x7f) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      text += escaped;
    } else {
      text += c;
    }
  }
  if (bytes.size() > most) text += "... (" + std::to_string(bytes.size()) + " bytes)";
  return text;
}

std::string MaskAfter(std::string_view text, std::string_view key) {
  std::string masked;
  size_t from = 0;
  for (size_t found = text.find(key); found != std::string_view::npos; found = text.find(key, from)) {
    const size_t value = found + key.size();
    const size_t end = std::min(text.find_first_of(" \t\r\n", value), text.size());
    masked.append(text.substr(from, value - from)).append(kTraceMask);
    from = end;
  }
  return masked.append(text.substr(from));
}

void TraceExchange(TraceProtocol protocol, std::string_view peer, char direction, std::string_view text) {
  if (!Tracing(protocol)) return;
  timeval now{};
  gettimeofday(&now, nullptr);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03ld", local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<long>(now.tv_usec / 1000));
  std::string line = std::string(stamp) + ' ' + NameOf(protocol) + ' ' + TraceText(peer, 64) + ' ' + direction + ' ';
  line += text;
  line += '\n';
  const char* file = std::getenv("GLY_TRACE_FILE");
  if (file == nullptr || *file == '\0') {
    WriteWhole(STDERR_FILENO, line);
    return;
  }
  const int fd = open(file, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return;
  WriteWhole(fd, line);
  close(fd);
}
