// The SNMP version and SNMPv3 settings glyctl asks printers with, from the
// community file (lines below) or the environment (the same names in
// capitals after GLY_, '-' as '_': GLY_SNMP_VERSION, GLY_V3_USER, ...),
// the file winning; never from the command line, where passphrases would
// show in the process list.
//   snmp-version=1|2c|3
//   v3-user=NAME
//   v3-level=noAuthNoPriv|authNoPriv|authPriv   (default: authPriv with a
//            privacy passphrase, authNoPriv with only an authentication one)
//   v3-auth-protocol=SHA-1|SHA-224|SHA-256|SHA-384|SHA-512|MD5 (SHA-1)
//   v3-auth-passphrase=TEXT
//   v3-priv-protocol=AES-128|AES-192|AES-256|AES-192-C|AES-256-C|DES (AES-128)
//   v3-priv-passphrase=TEXT
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "snmp/snmp_security_choice.h"

// What was given, as text; wiped when it goes.
class SecurityOptions {
 public:
  SecurityOptions() = default;
  SecurityOptions(const SecurityOptions&) = default;
  SecurityOptions& operator=(const SecurityOptions&) = default;
  ~SecurityOptions();

  // True when `key` is one of the keys above; its value is then kept.
  bool Take(std::string_view key, std::string_view value);
  // Each variable set in `environment` (getenv's kind) that no Take gave.
  void TakeEnvironment(const char* (*environment)(const char* name));

  // nullopt when nothing was given; else the settings, or nullopt with the
  // reason in `error` (an unknown version, level or protocol name, a v3
  // level without its user or passphrases). Lengths are the library's to
  // check.
  std::optional<SnmpSecurityChoice> Choice(std::string& error) const;
  bool empty() const;

 private:
  static constexpr size_t kKeys = 7;
  std::optional<std::string> values_[kKeys];
};
