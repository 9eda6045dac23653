// A UDP responder for tests of untrusted answers: it reads each SNMP
// request with a BER reader of its own and answers with whatever bytes the
// test's handler builds, well-formed or not.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace crafted {

using Oid = std::vector<uint64_t>;

struct Request {
  int64_t version = 0;
  std::string community;
  uint8_t command = 0;  // 0xa0 GET, 0xa1 GETNEXT, 0xa3 SET, 0xa5 GETBULK
  int64_t requestId = 0;
  int64_t maxRepetitions = 0;
  std::vector<Oid> names;
};

// BER pieces an answer is made of.
std::string Tlv(uint8_t tag, const std::string& content);
std::string Integer(int64_t value, uint8_t tag = 0x02);
std::string Text(const std::string& bytes);
std::string ObjectId(const Oid& oid);
std::string Null();
std::string VarBind(const Oid& name, const std::string& value);
// A whole response message: version and community of `request`, its
// request id unless `requestId` is given.
std::string Response(const Request& request, const std::vector<std::string>& varBinds, int64_t errorStatus = 0,
                     int64_t errorIndex = 0);
std::string ResponseWithId(const Request& request, int64_t requestId, const std::vector<std::string>& varBinds,
                           int64_t errorStatus = 0, int64_t errorIndex = 0);

Oid Join(Oid prefix, std::initializer_list<uint64_t> suffix);

// Answers GET, GETNEXT and GETBULK from `objects` (name to encoded value)
// as an honest agent would.
std::vector<std::string> Serve(const Request& request, const std::map<Oid, std::string>& objects);

// The datagrams to send back for one request (none: stay silent).
using Handler = std::function<std::vector<std::string>(const Request&)>;

class Agent {
 public:
  // Listens on `address` (dotted) at a free port.
  Agent(const std::string& address, Handler handler);
  ~Agent();
  Agent(const Agent&) = delete;
  Agent& operator=(const Agent&) = delete;

  uint16_t port() const { return port_; }
  size_t RequestCount();

 private:
  void Serve();

  Handler handler_;
  int socket_ = -1;
  int stopPipe_[2] = {-1, -1};
  uint16_t port_ = 0;
  std::mutex mutex_;
  size_t requests_ = 0;
  std::thread thread_;
};

}  // namespace crafted
