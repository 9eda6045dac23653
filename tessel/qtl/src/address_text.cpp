#include "address_text.h"

#include "protocol_info.h"

namespace tessel::qtl {
namespace {

constexpr int kIpDots = 3;
constexpr int kIpGroupDigits = 3;
constexpr int kIpxNetworkDigits = 8;
constexpr int kIpxNodeDigits = 12;
constexpr int kNetbiosDigits = 12;

bool IsDecimal(char c) { return c >= '0' && c <= '9'; }
bool IsHexLetter(char c) { return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

uint8_t HexValue(char c) {
  if (IsDecimal(c)) return uint8_t(c - '0');
  if (c >= 'a' && c <= 'f') return uint8_t(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return uint8_t(c - 'A' + 10);
  return 0;
}

bool IsNetbiosText(const char* text) {
  int digits = 0;
  for (const char* at = text; *at; ++at) {
    if (IsDecimal(*at)) {
      if (++digits > kNetbiosDigits) return false;
    } else if (!IsHexLetter(*at)) {
      return false;
    }
  }
  return true;
}

// Four dot-separated decimal parts of at most 4 characters each; a part
// above 255 makes the whole address 0.
uint32_t IpTextValue(const char* text) {
  uint32_t address = 0;
  const char* at = text;
  for (int part = 0; part < 4; ++part) {
    uint32_t value = 0;
    for (int n = 0; n < 4 && IsDecimal(*at); ++n, ++at) value = value * 10 + uint32_t(*at - '0');
    if (value > 255) return 0;
    address = address << 8 | value;
    while (*at && *at != '.') ++at;
    if (*at == '.') ++at;
  }
  return address;
}

// Fills bytes[count - 1] down to bytes[0] with the hexadecimal digit pairs
// of [begin, end), read from the right; a digit left over at the start is
// a pair of its own. Digits beyond `count` bytes are not read.
void FillFromRight(const char* begin, const char* end, uint8_t* bytes, int count) {
  for (int index = count - 1; index >= 0 && end > begin; --index) {
    const uint8_t low = HexValue(*--end);
    const uint8_t high = end > begin ? HexValue(*--end) : 0;
    bytes[index] = uint8_t(high << 4 | low);
  }
}

void IpxTextValue(const char* text, NetAddress& out) {
  const char* dot = text;
  while (*dot && *dot != '.') ++dot;
  FillFromRight(text, dot, out.u.ipx.network, sizeof out.u.ipx.network);
  if (!*dot) return;
  const char* node = dot + 1;
  const char* end = node;
  while (*end) ++end;
  FillFromRight(node, end, out.u.ipx.node, sizeof out.u.ipx.node);
}

void NetbiosTextValue(const char* text, NetAddress& out) {
  for (size_t i = 0; i < sizeof out.u.netbios.name && text[i]; ++i) {
    const char c = text[i];
    out.u.netbios.name[i] = c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
  }
}

}  // namespace

uint32_t AddressFamily(uint32_t protocol) {
  int32_t status;
  return ProtocolInfo(protocol, QTLINFO_ADDRESS_FAMILY, &status);
}

bool IsIpText(const char* text) {
  if (!text) return false;
  int dots = 0;
  int digits = 0;
  for (const char* at = text; *at; ++at) {
    if (*at == '.') {
      if (++dots > kIpDots) return false;
      digits = 0;
    } else if (!IsDecimal(*at) || ++digits > kIpGroupDigits) {
      return false;
    }
  }
  return dots == kIpDots;
}

bool IsIpxText(const char* text) {
  if (!text) return false;
  int dots = 0;
  int digits = 0;
  for (const char* at = text; *at; ++at) {
    if (*at == '.') {
      if (++dots > 1) return false;
      digits = 0;
    } else if (!IsDecimal(*at) && !IsHexLetter(*at)) {
      return false;
    } else if (++digits > (dots == 0 ? kIpxNetworkDigits : kIpxNodeDigits)) {
      return false;
    }
  }
  return dots == 1;
}

bool PassesSyntaxCheck(const char* text, uint32_t protocol) {
  switch (AddressFamily(protocol)) {
    case kIpxFormat:
      return IsIpxText(text);
    case kNetbiosFormat:
      return text && IsNetbiosText(text);
    default:
      return IsIpText(text);
  }
}

int32_t TextToAddress(const char* text, uint32_t protocol, NetAddress& out) {
  out = NetAddress{};
  out.protocol = protocol;
  switch (AddressFamily(protocol)) {
    case kIpFormat:
      out.u.ip.address = IpTextValue(text);
      return QTL_SUCCESS;
    case kIpxFormat:
      IpxTextValue(text, out);
      return QTL_SUCCESS;
    case kNetbiosFormat:
      NetbiosTextValue(text, out);
      return QTL_SUCCESS;
    default:
      return QTLERR_NOT_SUPPORTED;
  }
}

}  // namespace tessel::qtl
