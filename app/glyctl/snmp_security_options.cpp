#include "glyctl/snmp_security_options.h"

#include "snmp/community_strings.h"

#include <string.h>

#include <cstring>

namespace {

enum Key : size_t { kVersion, kUser, kLevel, kAuthProtocol, kAuthPassphrase, kPrivProtocol, kPrivPassphrase };

constexpr const char* kFileKeys[] = {"snmp-version",       "v3-user",          "v3-level",          "v3-auth-protocol",
                                     "v3-auth-passphrase", "v3-priv-protocol", "v3-priv-passphrase"};
constexpr const char* kVariables[] = {"GLY_SNMP_VERSION",       "GLY_V3_USER",          "GLY_V3_LEVEL",
                                      "GLY_V3_AUTH_PROTOCOL",   "GLY_V3_AUTH_PASSPHRASE", "GLY_V3_PRIV_PROTOCOL",
                                      "GLY_V3_PRIV_PASSPHRASE"};

struct Named {
  const char* text;
  int32_t value;
};
constexpr Named kVersions[] = {{"1", kSnmpVersion1}, {"2c", kSnmpVersion2c}, {"3", kSnmpVersion3}};
constexpr Named kLevels[] = {{"noAuthNoPriv", kSnmpNoAuthNoPriv}, {"authNoPriv", kSnmpAuthNoPriv}, {"authPriv", kSnmpAuthPriv}};
// The protocols by the names the dialog shows.
using community_strings::kAuthProtocols;
using community_strings::kPrivProtocols;

template <typename Choice, size_t N>
bool Lookup(const Choice (&names)[N], const std::optional<std::string>& given, int32_t fallback, int32_t& value,
            const char* what, std::string& error) {
  if (!given) {
    value = fallback;
    return true;
  }
  for (const Choice& named : names) {
    if (strcasecmp(named.text, given->c_str()) == 0) {
      value = named.value;
      return true;
    }
  }
  error = std::string("unknown ") + what + " " + *given + "; one of";
  for (const Choice& named : names) error += std::string(" ") + named.text;
  return false;
}

// Into a NUL-terminated field; false when it does not fit.
template <size_t N>
bool CopyField(char (&field)[N], const std::optional<std::string>& text) {
  if (!text) return true;
  if (text->size() >= N || text->find('\0') != std::string::npos) return false;
  std::memcpy(field, text->c_str(), text->size() + 1);
  return true;
}

void Wipe(std::optional<std::string>& text) {
  if (text) explicit_bzero(text->data(), text->size());
  text.reset();
}

}  // namespace

SecurityOptions::~SecurityOptions() {
  for (std::optional<std::string>& value : values_) Wipe(value);
}

bool SecurityOptions::Take(std::string_view key, std::string_view value) {
  for (size_t i = 0; i < kKeys; ++i) {
    if (key == kFileKeys[i]) {
      Wipe(values_[i]);
      values_[i] = std::string(value);
      return true;
    }
  }
  return false;
}

void SecurityOptions::TakeEnvironment(const char* (*environment)(const char* name)) {
  for (size_t i = 0; i < kKeys; ++i) {
    const char* value = environment(kVariables[i]);
    if (!values_[i] && value != nullptr) values_[i] = value;
  }
}

bool SecurityOptions::empty() const {
  for (const std::optional<std::string>& value : values_)
    if (value) return false;
  return true;
}

std::optional<SnmpSecurityChoice> SecurityOptions::Choice(std::string& error) const {
  if (empty()) return std::nullopt;
  SnmpSecurityChoice choice;
  SnmpSecurity& security = choice.value;
  // v3 settings without a version mean v3.
  if (!Lookup(kVersions, values_[kVersion], kSnmpVersion3, security.version, "SNMP version", error)) return std::nullopt;
  if (security.version != kSnmpVersion3) return choice;
  const int32_t impliedLevel = values_[kPrivPassphrase]   ? kSnmpAuthPriv
                               : values_[kAuthPassphrase] ? kSnmpAuthNoPriv
                                                          : kSnmpNoAuthNoPriv;
  if (!Lookup(kLevels, values_[kLevel], impliedLevel, security.level, "security level", error) ||
      !Lookup(kAuthProtocols, values_[kAuthProtocol], kSnmpAuthSha1, security.authProtocol, "authentication protocol", error) ||
      !Lookup(kPrivProtocols, values_[kPrivProtocol], kSnmpPrivAes128, security.privProtocol, "privacy protocol", error))
    return std::nullopt;
  if (!values_[kUser] || values_[kUser]->empty()) {
    error = "SNMPv3 needs a user (v3-user=)";
    return std::nullopt;
  }
  if (security.level >= kSnmpAuthNoPriv && !values_[kAuthPassphrase]) {
    error = "this security level needs an authentication passphrase (v3-auth-passphrase=)";
    return std::nullopt;
  }
  if (security.level == kSnmpAuthPriv && !values_[kPrivPassphrase]) {
    error = "authPriv needs a privacy passphrase (v3-priv-passphrase=)";
    return std::nullopt;
  }
  if (!CopyField(security.user, values_[kUser])) {
    error = "the SNMPv3 user is longer than 32 characters";
    return std::nullopt;
  }
  if (!CopyField(security.authPassphrase, values_[kAuthPassphrase]) ||
      !CopyField(security.privPassphrase, values_[kPrivPassphrase])) {
    error = "an SNMPv3 passphrase is longer than 255 characters";
    return std::nullopt;
  }
  return choice;
}
