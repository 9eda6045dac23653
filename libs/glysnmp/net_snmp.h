// net-snmp's client library, included in one place, and its start-up.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

namespace glysnmp {

// Prepares net-snmp once per process, from any thread: no configuration
// files and no MIB files are read, no persistent state is loaded or saved.
// Only the transports are set up; every object identifier is numeric.
//
// Sessions of the single-session API, each used by one thread, are what
// lets several threads work at once; net-snmp shares only counters
// (request and session numbers) between them, which tolerate a race.
void StartNetSnmp();

// StartNetSnmp, and the v3 security model once per process, from any
// thread: needed before the first v3 session opens.
void StartNetSnmpV3();

}  // namespace glysnmp
