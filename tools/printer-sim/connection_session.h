// What the event loop drives on one accepted TCP connection: bytes in,
// reply bytes out, and whether the connection is done.
#pragma once

#include <cstddef>
#include <cstdint>
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
};

}  // namespace printer_sim
