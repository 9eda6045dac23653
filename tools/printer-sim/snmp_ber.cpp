#include "snmp_ber.h"

#include <charconv>

namespace printer_sim {
namespace {

constexpr uint8_t kTagSequence = 0x30;

// A window on the bytes still to be read; every read stays inside it.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool AtEnd() const { return position_ == size_; }

  // One TLV: its tag and a reader over its content.
  bool Next(uint8_t& tag, Reader& content) {
    if (size_ - position_ < 2) return false;
    tag = data_[position_++];
    if ((tag & 0x1F) == 0x1F) return false;  // multi-byte tags are not SNMP's
    size_t length = data_[position_++];
    if (length & 0x80) {
      size_t lengthBytes = length & 0x7F;
      // Indefinite lengths are not allowed, and nothing in a datagram needs
      // more than four length bytes.
      if (lengthBytes == 0 || lengthBytes > 4 || size_ - position_ < lengthBytes) return false;
      length = 0;
      for (size_t i = 0; i < lengthBytes; ++i) length = (length << 8) | data_[position_++];
    }
    if (length > size_ - position_) return false;
    content = Reader(data_ + position_, length);
    position_ += length;
    return true;
  }

  bool Expect(uint8_t wanted, Reader& content) {
    uint8_t tag = 0;
    return Next(tag, content) && tag == wanted;
  }

  const uint8_t* data() const { return data_ + position_; }
  size_t size() const { return size_ - position_; }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t position_ = 0;
};

bool ReadSigned(const Reader& content, int64_t& value) {
  if (content.size() == 0 || content.size() > 8) return false;
  const uint8_t* bytes = content.data();
  uint64_t result = (bytes[0] & 0x80) ? ~uint64_t{0} : 0;
  for (size_t i = 0; i < content.size(); ++i) result = (result << 8) | bytes[i];
  value = static_cast<int64_t>(result);
  return true;
}

bool ReadUnsigned(const Reader& content, size_t mostBytes, uint64_t& value) {
  size_t size = content.size();
  const uint8_t* bytes = content.data();
  if (size == 0) return false;
  // One leading zero byte keeps the top bit of a large value from reading
  // as a sign; skip it.
  if (size > 1 && bytes[0] == 0) {
    ++bytes;
    --size;
  }
  if (size > mostBytes) return false;
  value = 0;
  for (size_t i = 0; i < size; ++i) value = (value << 8) | bytes[i];
  return true;
}

bool ReadInt32(Reader& reader, int32_t& value) {
  Reader content(nullptr, 0);
  int64_t wide = 0;
  if (!reader.Expect(kTagInteger, content) || !ReadSigned(content, wide)) return false;
  if (wide < INT32_MIN || wide > INT32_MAX) return false;
  value = static_cast<int32_t>(wide);
  return true;
}

bool ReadOid(const Reader& content, Oid& oid) {
  oid.clear();
  const uint8_t* bytes = content.data();
  size_t size = content.size();
  if (size == 0) return false;
  uint64_t part = 0;
  bool first = true;
  for (size_t i = 0; i < size; ++i) {
    if (part == 0 && bytes[i] == 0x80) return false;  // no padding in a sub-identifier
    part = (part << 7) | (bytes[i] & 0x7F);
    if (part > UINT32_MAX) return false;
    if (bytes[i] & 0x80) {
      if (i + 1 == size) return false;  // the last sub-identifier is cut short
      continue;
    }
    if (first) {
      uint32_t top = part < 80 ? static_cast<uint32_t>(part / 40) : 2;
      oid.push_back(top);
      oid.push_back(static_cast<uint32_t>(part - top * 40));
      first = false;
    } else {
      oid.push_back(static_cast<uint32_t>(part));
    }
    if (oid.size() > kMostOidParts) return false;
    part = 0;
  }
  return true;
}

bool ReadValue(uint8_t tag, const Reader& content, Value& value) {
  value = Value{};
  value.tag = tag;
  switch (tag) {
    case kTagInteger: {
      int64_t signedValue = 0;
      if (!ReadSigned(content, signedValue)) return false;
      value.number = static_cast<uint64_t>(signedValue);
      return true;
    }
    case kTagOctetString:
    case kTagOpaque:
      value.bytes.assign(reinterpret_cast<const char*>(content.data()), content.size());
      return true;
    case kTagIpAddress:
      if (content.size() != 4) return false;
      value.bytes.assign(reinterpret_cast<const char*>(content.data()), 4);
      return true;
    case kTagNull:
    case kTagNoSuchObject:
    case kTagNoSuchInstance:
    case kTagEndOfMibView:
      return content.size() == 0;
    case kTagObjectId:
      return ReadOid(content, value.oid);
    case kTagCounter32:
    case kTagGauge32:
    case kTagTimeTicks:
      return ReadUnsigned(content, 4, value.number);
    case kTagCounter64:
      return ReadUnsigned(content, 8, value.number);
    default:
      return false;
  }
}

bool ReadVarBinds(Reader& list, std::vector<VarBind>& varBinds) {
  while (!list.AtEnd()) {
    if (varBinds.size() == kMostVarBinds) return false;
    Reader item(nullptr, 0), name(nullptr, 0), content(nullptr, 0);
    uint8_t tag = 0;
    VarBind varBind;
    if (!list.Expect(kTagSequence, item) || !item.Expect(kTagObjectId, name) ||
        !ReadOid(name, varBind.name) || !item.Next(tag, content) ||
        !ReadValue(tag, content, varBind.value) || !item.AtEnd()) {
      return false;
    }
    varBinds.push_back(std::move(varBind));
  }
  return true;
}

void AppendLength(std::string& out, size_t length) {
  if (length < 0x80) {
    out.push_back(static_cast<char>(length));
    return;
  }
  int bytes = 0;
  for (size_t rest = length; rest; rest >>= 8) ++bytes;
  out.push_back(static_cast<char>(0x80 | bytes));
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<char>(length >> (8 * i)));
}

std::string Tlv(uint8_t tag, const std::string& content) {
  std::string out(1, static_cast<char>(tag));
  AppendLength(out, content.size());
  out += content;
  return out;
}

std::string SignedContent(int64_t value) {
  std::string out;
  for (int i = 7; i >= 0; --i) out.push_back(static_cast<char>(static_cast<uint64_t>(value) >> (8 * i)));
  // Drop leading bytes that only repeat the sign.
  size_t start = 0;
  while (start < 7) {
    uint8_t byte = out[start], next = out[start + 1];
    if ((byte == 0x00 && !(next & 0x80)) || (byte == 0xFF && (next & 0x80))) {
      ++start;
    } else {
      break;
    }
  }
  return out.substr(start);
}

std::string UnsignedContent(uint64_t value) {
  std::string out;
  do {
    out.insert(out.begin(), static_cast<char>(value & 0xFF));
    value >>= 8;
  } while (value);
  // A top bit set would read as a sign: a zero byte in front keeps it positive.
  if (static_cast<uint8_t>(out[0]) & 0x80) out.insert(out.begin(), '\0');
  return out;
}

std::string OidContent(const Oid& oid) {
  std::string out;
  auto appendPart = [&out](uint64_t part) {
    char groups[10];
    int count = 0;
    do {
      groups[count++] = static_cast<char>(part & 0x7F);
      part >>= 7;
    } while (part);
    for (int i = count - 1; i >= 0; --i) out.push_back(static_cast<char>(groups[i] | (i ? 0x80 : 0)));
  };
  if (oid.size() < 2) {
    appendPart(oid.empty() ? 0 : uint64_t{oid[0]} * 40);
    return out;
  }
  appendPart(uint64_t{oid[0]} * 40 + oid[1]);
  for (size_t i = 2; i < oid.size(); ++i) appendPart(oid[i]);
  return out;
}

std::string EncodeValue(const Value& value) {
  switch (value.tag) {
    case kTagInteger:
      return Tlv(value.tag, SignedContent(value.Signed()));
    case kTagOctetString:
    case kTagOpaque:
    case kTagIpAddress:
      return Tlv(value.tag, value.bytes);
    case kTagObjectId:
      return Tlv(value.tag, OidContent(value.oid));
    case kTagCounter32:
    case kTagGauge32:
    case kTagTimeTicks:
    case kTagCounter64:
      return Tlv(value.tag, UnsignedContent(value.number));
    default:
      return Tlv(value.tag, "");
  }
}

std::string EncodeVarBind(const VarBind& varBind) {
  return Tlv(kTagSequence, Tlv(kTagObjectId, OidContent(varBind.name)) + EncodeValue(varBind.value));
}

}  // namespace

bool DecodeMessage(const uint8_t* data, size_t size, SnmpMessage& message) {
  Reader whole(data, size), frame(nullptr, 0), community(nullptr, 0), pdu(nullptr, 0),
      list(nullptr, 0);
  if (!whole.Expect(kTagSequence, frame) || !whole.AtEnd()) return false;
  if (!ReadInt32(frame, message.version)) return false;
  if (message.version != kSnmpV1 && message.version != kSnmpV2c) return false;
  if (!frame.Expect(kTagOctetString, community)) return false;
  message.community.assign(reinterpret_cast<const char*>(community.data()), community.size());
  if (!frame.Next(message.pduType, pdu) || !frame.AtEnd()) return false;
  switch (message.pduType) {
    case kPduGet:
    case kPduGetNext:
    case kPduSet:
      break;
    case kPduGetBulk:
      if (message.version == kSnmpV1) return false;
      break;
    default:
      return false;
  }
  message.varBinds.clear();
  return ReadInt32(pdu, message.requestId) && ReadInt32(pdu, message.errorStatus) &&
         ReadInt32(pdu, message.errorIndex) && pdu.Expect(kTagSequence, list) && pdu.AtEnd() &&
         ReadVarBinds(list, message.varBinds);
}

std::string EncodeMessage(const SnmpMessage& message) {
  std::string varBinds;
  for (const VarBind& varBind : message.varBinds) varBinds += EncodeVarBind(varBind);
  std::string pdu = Tlv(kTagInteger, SignedContent(message.requestId)) +
                    Tlv(kTagInteger, SignedContent(message.errorStatus)) +
                    Tlv(kTagInteger, SignedContent(message.errorIndex)) +
                    Tlv(kTagSequence, varBinds);
  return Tlv(kTagSequence, Tlv(kTagInteger, SignedContent(message.version)) +
                               Tlv(kTagOctetString, message.community) +
                               Tlv(message.pduType, pdu));
}

size_t EncodedSize(const VarBind& varBind) { return EncodeVarBind(varBind).size(); }

bool ParseOid(std::string_view dotted, Oid& oid) {
  oid.clear();
  if (!dotted.empty() && dotted.front() == '.') dotted.remove_prefix(1);
  while (!dotted.empty()) {
    uint32_t part = 0;
    auto [end, error] = std::from_chars(dotted.data(), dotted.data() + dotted.size(), part);
    if (error != std::errc() || end == dotted.data()) return false;
    oid.push_back(part);
    dotted.remove_prefix(static_cast<size_t>(end - dotted.data()));
    if (dotted.empty()) break;
    if (dotted.front() != '.' || dotted.size() == 1) return false;
    dotted.remove_prefix(1);
  }
  return oid.size() >= 2 && oid.size() <= kMostOidParts && oid[0] <= 2 && (oid[0] == 2 || oid[1] < 40);
}

std::string OidText(const Oid& oid) {
  std::string text;
  for (size_t i = 0; i < oid.size(); ++i) {
    if (i) text.push_back('.');
    text += std::to_string(oid[i]);
  }
  return text;
}

Oid Join(const Oid& prefix, std::initializer_list<uint32_t> rest) {
  Oid oid = prefix;
  oid.insert(oid.end(), rest);
  return oid;
}

}  // namespace printer_sim
