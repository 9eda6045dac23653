// A small line printer daemon for tests and the LPR benchmark: it listens on
// 127.0.0.1 at a free high port, takes one connection, answers the RFC 1179
// receive-job exchange with scripted acknowledgements and keeps every byte
// it received.
#pragma once

#include <cstdint>
#include <string>
#include <thread>

class LpdReceiver {
 public:
  // The steps that the daemon acknowledges, in exchange order.
  enum Step { kJobCommand, kControlCommand, kControlFile, kDataCommand, kDataFile, kStepCount };

  struct Script {
    uint8_t acks[kStepCount] = {0, 0, 0, 0, 0};  // a non-zero ack also ends the connection
    int closeBefore = kStepCount;                // close instead of acknowledging this step
    int silentFrom = kStepCount;                 // stop acknowledging from this step on
  };

  LpdReceiver();
  explicit LpdReceiver(const Script& script);
  ~LpdReceiver();
  LpdReceiver(const LpdReceiver&) = delete;
  LpdReceiver& operator=(const LpdReceiver&) = delete;

  uint16_t port() const { return port_; }

  // Waits until the client has closed the connection (at most 30 s) and
  // returns everything it sent.
  std::string Received();

 private:
  void Serve();

  Script script_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::string received_;
  std::thread thread_;
};
