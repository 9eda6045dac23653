#include "glyctl/printer_target.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/stat.h>

#include <cstring>
#include <memory>

namespace {

// The host part and the port text of "HOST[:PORT]".
std::pair<std::string, std::optional<std::string>> SplitPort(const std::string& text) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos) return {text, std::nullopt};
  return {text.substr(0, colon), text.substr(colon + 1)};
}

bool IsHostName(const std::string& host) {
  if (host.empty() || host.size() > 253 || host.front() == '-' || host.front() == '.') return false;
  return host.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_") ==
         std::string::npos;
}

std::optional<uint16_t> PortOf(const std::string& text) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const unsigned long port = std::stoul(text);
  if (port < 1 || port > 65535) return std::nullopt;
  return static_cast<uint16_t>(port);
}

}  // namespace

std::optional<PrinterTarget> ResolvePrinterTarget(const std::string& text, std::string& error) {
  const auto [host, portText] = SplitPort(text);
  PrinterTarget target;
  if (portText) {
    target.snmpPort = PortOf(*portText);
    if (!target.snmpPort) {
      error = "not a port from 1 to 65535 in " + text;
      return std::nullopt;
    }
  }
  if (!IsHostName(host)) {
    error = "not an IPv4 address or host name: " + text;
    return std::nullopt;
  }
  in_addr parsed{};
  if (inet_pton(AF_INET, host.c_str(), &parsed) == 1) {
    target.address = ntohl(parsed.s_addr);
    return target;
  }
  // The resolver would take "10.1" as 10.0.0.1; a mistyped address is no name.
  if (host.find_first_not_of("0123456789.") == std::string::npos) {
    error = "not an IPv4 address: " + text;
    return std::nullopt;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (const int result = getaddrinfo(host.c_str(), nullptr, &hints, &found); result != 0) {
    error = "cannot resolve " + host + ": " + gai_strerror(result);
    return std::nullopt;
  }
  const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> release(found, freeaddrinfo);
  target.address = ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
  return target;
}

bool LooksLikePrinterTarget(const std::string& word) {
  const auto [host, portText] = SplitPort(word);
  if (!IsHostName(host) || (portText && !PortOf(*portText))) return false;
  struct stat status {};
  return stat(word.c_str(), &status) != 0;
}
