#include "snmp_security.h"

#include <net-snmp/library/keytools.h>
#include <net-snmp/library/transform_oids.h>
#include <string.h>

#include <cstring>
#include <map>
#include <mutex>

namespace glysnmp {
namespace {

struct Protocol {
  const oid* name;
  size_t length;
};

std::optional<Protocol> AuthProtocolOf(int32_t protocol) {
  switch (protocol) {
    case kSnmpAuthSha1: return Protocol{usmHMACSHA1AuthProtocol, OID_LENGTH(usmHMACSHA1AuthProtocol)};
    case kSnmpAuthSha224: return Protocol{usmHMAC128SHA224AuthProtocol, OID_LENGTH(usmHMAC128SHA224AuthProtocol)};
    case kSnmpAuthSha256: return Protocol{usmHMAC192SHA256AuthProtocol, OID_LENGTH(usmHMAC192SHA256AuthProtocol)};
    case kSnmpAuthSha384: return Protocol{usmHMAC256SHA384AuthProtocol, OID_LENGTH(usmHMAC256SHA384AuthProtocol)};
    case kSnmpAuthSha512: return Protocol{usmHMAC384SHA512AuthProtocol, OID_LENGTH(usmHMAC384SHA512AuthProtocol)};
    case kSnmpAuthMd5: return Protocol{usmHMACMD5AuthProtocol, OID_LENGTH(usmHMACMD5AuthProtocol)};
  }
  return std::nullopt;
}

std::optional<Protocol> PrivProtocolOf(int32_t protocol) {
  switch (protocol) {
    case kSnmpPrivAes128: return Protocol{usmAESPrivProtocol, OID_LENGTH(usmAESPrivProtocol)};
    case kSnmpPrivAes192: return Protocol{usmAES192PrivProtocol, OID_LENGTH(usmAES192PrivProtocol)};
    case kSnmpPrivAes256: return Protocol{usmAES256PrivProtocol, OID_LENGTH(usmAES256PrivProtocol)};
    case kSnmpPrivAes192C: return Protocol{usmAES192CiscoPrivProtocol, OID_LENGTH(usmAES192CiscoPrivProtocol)};
    case kSnmpPrivAes256C: return Protocol{usmAES256CiscoPrivProtocol, OID_LENGTH(usmAES256CiscoPrivProtocol)};
    case kSnmpPrivDes: return Protocol{usmDESPrivProtocol, OID_LENGTH(usmDESPrivProtocol)};
  }
  return std::nullopt;
}

// The field's text when it ends within the field; nullopt otherwise.
template <size_t N>
std::optional<size_t> TextLength(const char (&field)[N]) {
  size_t length = strnlen(field, N);
  if (length == N) return std::nullopt;
  return length;
}

int32_t CheckPassphrase(std::optional<size_t> length) {
  if (!length) return kSnmpPassphraseTooShort;  // it fills its field: longer than the most
  return *length < kSnmpLeastPassphraseLength ? kSnmpPassphraseTooShort : kSnmpOk;
}

// net-snmp's master key of `passphrase` under the authentication hash.
template <size_t N>
bool MakeKey(const Protocol& auth, const char* passphrase, size_t length, std::array<u_char, N>& key,
             size_t* keyLength) {
  *keyLength = key.size();
  return generate_Ku(auth.name, static_cast<u_int>(auth.length), reinterpret_cast<const u_char*>(passphrase), length,
                     key.data(), keyLength) == SNMPERR_SUCCESS;
}

struct Store {
  std::mutex mutex;
  std::map<uint32_t, PeerSecurity> printers;
  std::optional<PeerSecurity> discovery;
};

Store& store() {
  static Store* instance = new Store;  // outlives every caller, also at exit
  return *instance;
}

}  // namespace

V3Credentials::~V3Credentials() {
  explicit_bzero(authKey.data(), authKey.size());
  explicit_bzero(privKey.data(), privKey.size());
}

int32_t MakePeerSecurity(const SnmpSecurity& security, PeerSecurity* made) {
  if (security.version == kSnmpVersion1 || security.version == kSnmpVersion2c) {
    *made = PeerSecurity{security.version == kSnmpVersion1 ? SnmpVersion::kV1 : SnmpVersion::kV2c, nullptr};
    return kSnmpOk;
  }
  if (security.version != kSnmpVersion3) return kSnmpSecurityInvalid;
  std::optional<size_t> userLength = TextLength(security.user);
  if (!userLength || *userLength == 0 || *userLength > kSnmpMostUserLength) return kSnmpSecurityInvalid;
  if (security.level < kSnmpNoAuthNoPriv || security.level > kSnmpAuthPriv) return kSnmpSecurityInvalid;
  auto credentials = std::make_shared<V3Credentials>();
  credentials->user.assign(security.user, *userLength);
  credentials->level = security.level;
  if (security.level >= kSnmpAuthNoPriv) {
    std::optional<Protocol> auth = AuthProtocolOf(security.authProtocol);
    if (!auth) return kSnmpSecurityInvalid;
    std::optional<size_t> length = TextLength(security.authPassphrase);
    if (int32_t checked = CheckPassphrase(length); checked != kSnmpOk) return checked;
    credentials->authProtocol = auth->name;
    credentials->authProtocolLength = auth->length;
    if (!MakeKey(*auth, security.authPassphrase, *length, credentials->authKey, &credentials->authKeyLength)) {
      return kSnmpSecurityInvalid;
    }
    if (security.level == kSnmpAuthPriv) {
      std::optional<Protocol> priv = PrivProtocolOf(security.privProtocol);
      if (!priv) return kSnmpSecurityInvalid;
      length = TextLength(security.privPassphrase);
      if (int32_t checked = CheckPassphrase(length); checked != kSnmpOk) return checked;
      credentials->privProtocol = priv->name;
      credentials->privProtocolLength = priv->length;
      // The privacy key is made with the authentication hash too.
      if (!MakeKey(*auth, security.privPassphrase, *length, credentials->privKey, &credentials->privKeyLength)) {
        return kSnmpSecurityInvalid;
      }
    }
  }
  *made = PeerSecurity{SnmpVersion::kV3, std::move(credentials)};
  return kSnmpOk;
}

void SetPrinterSecurity(uint32_t address, std::optional<PeerSecurity> security) {
  Store& all = store();
  std::lock_guard lock(all.mutex);
  if (security) all.printers[address] = std::move(*security);
  else all.printers.erase(address);
}

std::optional<PeerSecurity> PrinterSecurityOf(uint32_t address) {
  Store& all = store();
  std::lock_guard lock(all.mutex);
  auto found = all.printers.find(address);
  if (found == all.printers.end()) return std::nullopt;
  return found->second;
}

void SetDiscoverySecurity(std::optional<PeerSecurity> security) {
  Store& all = store();
  std::lock_guard lock(all.mutex);
  all.discovery = std::move(security);
}

std::optional<PeerSecurity> DiscoverySecurity() {
  Store& all = store();
  std::lock_guard lock(all.mutex);
  return all.discovery;
}

}  // namespace glysnmp
