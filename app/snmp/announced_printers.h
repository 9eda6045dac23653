// Announced printers (dns_sd_browse.h) into the printer list: each asked
// over SNMP as adding by address asks; what its TXT record says fills the
// model, languages and job ports where SNMP says nothing, and a printer that
// does not answer SNMP is listed all the same, with a note saying so.
//
// User-interface thread only, as adding by address.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "snmp/announced_txt.h"

class PrinterListOwner;

// Appended to the model of a printer listed from its announcement alone.
inline constexpr char kNoSnmpNote[] = " (announced; SNMP did not answer)";

struct AnnouncedListing {
  int added = 0;
  int withoutSnmp = 0;  // of those added
  int alreadyListed = 0;
};

// Lists every printer of `printers` whose address is not in `listed`, nor
// listed in the library already.
AnnouncedListing ListAnnouncedPrinters(PrinterListOwner& owner, const std::vector<AnnouncedPrinter>& printers,
                                       const std::set<uint32_t>& listed);
