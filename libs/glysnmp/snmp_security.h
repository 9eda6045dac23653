// The SNMP version and v3 credentials the library asks each printer with,
// kept beside the printer records (which have no room for them), keyed by
// address, and those it asks devices not yet listed with. Passphrases are
// turned into net-snmp's master keys (Ku) as they arrive and are not kept;
// keys are wiped when their last user lets them go.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "glysnmp.h"
#include "net_snmp.h"

namespace glysnmp {

enum class SnmpVersion { kV1, kV2c, kV3 };

// What a v3 session needs: the user, the level, the protocols and the
// master keys (engine-independent; net-snmp localises them to the engine
// it discovers).
struct V3Credentials {
  V3Credentials() = default;
  ~V3Credentials();
  V3Credentials(const V3Credentials&) = delete;
  V3Credentials& operator=(const V3Credentials&) = delete;

  std::string user;
  int level = SNMP_SEC_LEVEL_NOAUTH;
  const oid* authProtocol = nullptr;
  size_t authProtocolLength = 0;
  const oid* privProtocol = nullptr;
  size_t privProtocolLength = 0;
  std::array<u_char, USM_AUTH_KU_LEN> authKey{};
  size_t authKeyLength = 0;
  std::array<u_char, USM_PRIV_KU_LEN> privKey{};
  size_t privKeyLength = 0;
};

struct PeerSecurity {
  SnmpVersion version = SnmpVersion::kV2c;
  std::shared_ptr<const V3Credentials> v3;  // set for kV3 only
};

// `security` checked and turned into keys; 0, or kSnmpPassphraseTooShort
// or kSnmpSecurityInvalid with `made` untouched.
int32_t MakePeerSecurity(const SnmpSecurity& security, PeerSecurity* made);

// Per address; nullopt when the record's own rule applies. Any thread.
void SetPrinterSecurity(uint32_t address, std::optional<PeerSecurity> security);
std::optional<PeerSecurity> PrinterSecurityOf(uint32_t address);

// For devices not yet listed; nullopt: v2c with the settings' community.
void SetDiscoverySecurity(std::optional<PeerSecurity> security);
std::optional<PeerSecurity> DiscoverySecurity();

}  // namespace glysnmp
