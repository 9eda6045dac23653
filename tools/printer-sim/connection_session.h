// What the event loop drives on one accepted TCP connection: bytes in,
// reply bytes out, and whether the connection is done.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace printer_sim {

class ConnectionSession {
 public:
  virtual ~ConnectionSession() = default;
  // Takes received bytes and appends what to send back to `reply`.
  virtual void Receive(const uint8_t* data, size_t size, std::string& reply) = 0;
  // The client closed its side; what is appended to `reply` still goes
  // out if the client reads on.
  virtual void EndOfInput(std::string& reply) = 0;
  // Once true, the connection ends after its reply is sent.
  virtual bool closing() const = 0;
  // A session that holds replies back (a slow printer): when the next one
  // is due, and the ones due by `now`, appended to `reply`.
  virtual std::optional<std::chrono::steady_clock::time_point> NextReplyDue() const { return std::nullopt; }
  virtual void TakeDueReplies(std::chrono::steady_clock::time_point, std::string&) {}
};

}  // namespace printer_sim
