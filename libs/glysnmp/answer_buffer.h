// A v2c answer decoded into storage that is kept from one answer to the
// next, so that a long table walk allocates nothing per answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "net_snmp.h"

namespace glysnmp {

class AnswerBuffer {
 public:
  // The largest datagram an agent can send.
  static constexpr size_t kMostBytes = 65535;

  AnswerBuffer() : message_(kMostBytes) {}
  AnswerBuffer(const AnswerBuffer&) = delete;
  AnswerBuffer& operator=(const AnswerBuffer&) = delete;

  // Where a received datagram goes before Decode.
  uint8_t* data() { return message_.data(); }

  // Takes the first `size` bytes of data() as a v2c Response to a request
  // whose id `awaited` accepts; false for anything else, which leaves the
  // answer empty.
  bool Decode(size_t size, const std::function<bool(int32_t)>& awaited);

  int32_t requestId() const { return requestId_; }

  long errstat() const { return errstat_; }
  long errindex() const { return errindex_; }
  // The bindings in order, valid until the next Decode; texts point into
  // the message.
  const netsnmp_variable_list* variables() const { return count_ == 0 ? nullptr : &values_[0].binding; }

 private:
  struct Value {
    netsnmp_variable_list binding;
    oid objid[MAX_OID_LEN];  // an OBJECT IDENTIFIER value
    long integer;
    struct counter64 counter;
  };
  bool DecodeValue(Value& value, u_char* bytes, size_t length);

  std::vector<uint8_t> message_;
  // Grows to the largest answer and never shrinks; a deque, since the
  // bindings point into themselves and must not move as it grows.
  std::deque<Value> values_;
  size_t count_ = 0;
  int32_t requestId_ = 0;
  long errstat_ = 0;
  long errindex_ = 0;
};

}  // namespace glysnmp
