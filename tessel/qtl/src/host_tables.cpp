#include "host_tables.h"

#include <cstring>

#include "tessel/qrtl.h"

namespace tessel::qtl {
namespace {

constexpr int32_t kProfileRoot = 2;
// What a missing entry reads as.
constexpr char kAbsent[] = "X";

const char* SectionOf(HostTable table) {
  switch (table) {
    case HostTable::kIp:
      return "IP Hosts";
    case HostTable::kIpx:
      return "IPX Hosts";
    case HostTable::kNetbios:
      return "NBDG Hosts";
  }
  return nullptr;
}

}  // namespace

bool LookUpHostTable(HostTable table, const char* name, char (&value)[kHostEntrySize]) {
  if (QRTLGetProfileEntry(SectionOf(table), name, kAbsent, value, sizeof value, kProfileRoot) !=
      QRTL_SUCCESS) {
    return false;
  }
  if (table == HostTable::kIp) return value[0] != 'X';
  return std::strcmp(value, kAbsent) != 0;
}

}  // namespace tessel::qtl
