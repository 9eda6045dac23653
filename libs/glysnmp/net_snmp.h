// net-snmp's client library, included in one place, and its start-up.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

namespace glysnmp {

// Prepares net-snmp once per process, from any thread: no configuration
// files and no MIB files are read, no persistent state is loaded or saved.
// Only the transports are set up; every object identifier is numeric.
void StartNetSnmp();

}  // namespace glysnmp
