#include "protocol_info.h"

#include <cstring>

#include "tessel/qtl.h"

namespace tessel::qtl {
namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;

struct ProtocolRow {
  uint32_t protocol;
  const char* shortName;
  const char* domain;  // transport-domain object identifier, or null
  // Items 3, 4, 5, 6, 8, 9 and 12, in that order.
  uint32_t values[7];
};

// NetBIOS datagrams have no registered transport domain; theirs sits under
// the enterprise arc 32473.
const ProtocolRow kProtocols[] = {
    {QTL_PROTO_UDP, "udp", "1.3.6.1.6.1.1", {0, 161, 162, 111, 0x100, 1, 2}},
    {QTL_PROTO_TCP, "tcp", nullptr, {1, 161, 162, 111, 0x100, 1, 3}},
    {QTL_PROTO_IPX, "ipx", "1.3.6.1.6.1.5", {0, 0x900F, 0x9010, 0x9019, 0x200, 2, 4}},
    {QTL_PROTO_SPX, "spx", nullptr, {1, 0x900F, 0x9010, 0x901A, 0x200, 2, 5}},
    {QTL_PROTO_NETBIOS, "netbios", "1.3.6.1.4.1.32473.1.1.1", {0, 161, 162, 111, 0, 0x10, kNone}},
};

const ProtocolRow* FindRow(uint32_t protocol) {
  for (const ProtocolRow& row : kProtocols) {
    if (row.protocol == protocol) return &row;
  }
  return nullptr;
}

int ItemColumn(int32_t item) {
  switch (item) {
    case QTLINFO_STREAM:
      return 0;
    case QTLINFO_SNMP_PORT:
      return 1;
    case QTLINFO_TRAP_PORT:
      return 2;
    case QTLINFO_RPC_PORT:
      return 3;
    case QTLINFO_STREAM_PROTOCOL:
      return 4;
    case QTLINFO_ADDRESS_FAMILY:
      return 5;
    case QTLINFO_ORDINAL:
      return 6;
    default:
      return -1;
  }
}

}  // namespace

uint32_t ProtocolInfo(uint32_t protocol, int32_t item, int32_t* status) {
  const ProtocolRow* row = FindRow(protocol);
  const int column = ItemColumn(item);
  if (!row || column < 0 || row->values[column] == kNone) {
    *status = QTLERR_INVALID_PARAM;
    return 0;
  }
  *status = QTL_SUCCESS;
  return row->values[column];
}

}  // namespace tessel::qtl

uint32_t QTLGetProtocolInfo(uint32_t protocol, int32_t item, int32_t* status) {
  int32_t own = QTL_SUCCESS;
  const uint32_t value = tessel::qtl::ProtocolInfo(protocol, item, &own);
  if (status) *status = own;
  return value;
}

int32_t QTLGetProtocolString(uint32_t protocol, int32_t which, char* out) {
  const tessel::qtl::ProtocolRow* row = tessel::qtl::FindRow(protocol);
  if (!row) return 0;
  const char* text = which == 1 ? row->shortName : which == 2 ? row->domain : nullptr;
  if (!text) return 0;
  const size_t size = std::strlen(text) + 1;
  if (out) std::memcpy(out, text, size);
  return int32_t(size);
}
