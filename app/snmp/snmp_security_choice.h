// A printer's SNMP version and v3 settings as the program holds them on
// their way to the SNMP library, which keeps them by address. The
// passphrases are wiped when the holder goes.
#pragma once

#include <string.h>

#include "snmp/contract/glysnmp.h"

struct SnmpSecurityChoice {
  SnmpSecurityChoice() = default;
  SnmpSecurityChoice(const SnmpSecurityChoice&) = default;
  SnmpSecurityChoice& operator=(const SnmpSecurityChoice&) = default;
  ~SnmpSecurityChoice() { explicit_bzero(&value, sizeof value); }

  SnmpSecurity value{};
};
