// net-snmp's snmpd and snmpsim as independent agents for the tests, each
// started in the test's own scratch folder on loopback addresses and
// stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// A UDP port free on every one of `addresses` (dotted) right now.
uint16_t FreeUdpPort(const std::vector<std::string>& addresses);
// A TCP port free on every one of `addresses` right now.
uint16_t FreeTcpPort(const std::vector<std::string>& addresses);

// "a.b.c.d" as the library's 32-bit address.
uint32_t AddressOf(const std::string& dotted);

// True once an agent at `address`:`port` answers `community`, within 15 s.
bool WaitForAgent(const std::string& address, uint16_t port, const std::string& community);

class PeerProcess {
 public:
  // Runs `argv` with MIBS empty, its output going to `logFile`.
  PeerProcess(const std::vector<std::string>& argv, const std::string& logFile);
  ~PeerProcess();
  PeerProcess(const PeerProcess&) = delete;
  PeerProcess& operator=(const PeerProcess&) = delete;
  bool running() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
};

// snmpd answering "vorpal" (read) and "quillet" (write), the communities
// a new record carries, on `address`,
// with the host resources modules switched off so that only the
// configuration's `override` lines fill those tables.
class SnmpdPeer {
 public:
  SnmpdPeer(const std::string& folder, const std::string& address, uint16_t port,
            const std::vector<std::string>& configLines);
  bool ready() const { return ready_; }

 private:
  PeerProcess process_;
  bool ready_ = false;
};

// snmpsimd serving `folder`/data/<community>.snmprec files on every address.
class SnmpsimPeer {
 public:
  struct Recording {
    std::string community;
    std::vector<std::string> lines;  // OID|TYPE|VALUE
  };
  SnmpsimPeer(const std::string& folder, const std::vector<std::string>& addresses, uint16_t port,
              const std::vector<Recording>& recordings);
  bool ready() const { return ready_; }

 private:
  PeerProcess process_;
  bool ready_ = false;
};
