// The stream socket under the LPR and raw job ports: a small seam so the
// exchange can be watched send by send. Results are 0, Winsock error
// numbers or LprResults.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class Clock;

class LprSocket {
 public:
  virtual ~LprSocket() = default;  // closes the socket

  // Creates a blocking stream socket on any local port and connects it,
  // giving up with WSAETIMEDOUT when the connection is not made within
  // `timeoutMs`.
  virtual int Connect(const char* address, uint16_t port, uint32_t timeoutMs) = 0;
  // Sends all `size` bytes as one send; JOB_ERR_STOPPED_TAKING_DATA when
  // the peer takes none of them for the socket's no-progress limit.
  virtual int Send(const void* data, size_t size) = 0;
  // Reads one byte, waiting at most `timeoutMs`: JOB_ERR_STOPPED_TAKING_DATA
  // when none came, LPR_ERR_NO_ACK when the peer closed the connection.
  virtual int ReceiveByte(uint8_t& byte, uint32_t timeoutMs) = 0;
  // Ends the sending direction (shutdown, how = 1).
  virtual void ShutdownSend() = 0;
};

// A TCP socket whose sends and reads wait at most `noProgressMs` without
// progress, and reads at most their own time-out, both measured on
// `clock`. The socket itself is watched in short slices of real time, so a
// test's clock moved on by hand ends a stalled wait at once.
std::unique_ptr<LprSocket> MakeTcpLprSocket(Clock& clock, uint32_t noProgressMs);
