// The stream socket under the LPR client: a small seam so the exchange can
// be watched send by send. Results are 0 or Winsock error numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class LprSocket {
 public:
  virtual ~LprSocket() = default;  // closes the socket

  // Creates a blocking stream socket on any local port and connects it,
  // giving up with WSAETIMEDOUT when the connection is not made within
  // `timeoutMs`.
  virtual int Connect(const char* address, uint16_t port, uint32_t timeoutMs) = 0;
  // Sends all `size` bytes as one send.
  virtual int Send(const void* data, size_t size) = 0;
  // Reads one byte, waiting at most `timeoutMs`: WSAETIMEDOUT when none
  // came, LPR_ERR_NO_ACK when the peer closed the connection.
  virtual int ReceiveByte(uint8_t& byte, uint32_t timeoutMs) = 0;
  // Ends the sending direction (shutdown, how = 1).
  virtual void ShutdownSend() = 0;
};

// A blocking TCP socket.
std::unique_ptr<LprSocket> MakeTcpLprSocket();
