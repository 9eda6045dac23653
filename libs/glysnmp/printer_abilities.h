// What a printer speaks and where it takes jobs: the language families of
// the Printer MIB's interpreter table and of its IEEE 1284 command set, and
// the channel table's rows with whether each accepts print data.
#pragma once

#include <cstdint>
#include <optional>

#include "glysnmp.h"
#include "snmp_session.h"

namespace glysnmp {

// SnmpLanguage bits of one prtInterpreterLangFamily value.
uint32_t LanguageOfFamily(int32_t family);
// The channel as the program sees it, from prtChannelType and
// prtChannelState (absent: nothing said against it).
SnmpChannel ChannelOf(int32_t type, std::optional<int32_t> state);

// nullopt when the agent answered none of the questions.
std::optional<SnmpPrinterAbilities> QueryPrinterAbilities(Session& session);

}  // namespace glysnmp
