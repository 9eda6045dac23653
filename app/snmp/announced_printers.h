// Announced printers (dns_sd_browse.h) into the printer list: each asked
// over SNMP as adding by address asks; what its TXT record says fills the
// model, languages and job ports where SNMP says nothing, and a printer that
// does not answer SNMP is listed all the same, with a note saying so.
//
// Asking may take the library's whole time-out for each printer that does
// not answer, so it can run off the user-interface thread; listing is done
// on it, as adding by address.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "snmp/announced_txt.h"
#include "snmp/contract/glysnmp.h"

class PrinterListOwner;

// Appended to the model of a printer listed from its announcement alone.
inline constexpr char kNoSnmpNote[] = " (announced; SNMP did not answer)";

struct AnnouncedListing {
  int added = 0;
  int withoutSnmp = 0;  // of those added
  int alreadyListed = 0;
};

// An announced printer and what SNMP said when it was asked.
struct AskedAnnouncement {
  AnnouncedPrinter printer;
  bool listedBefore = false;  // in `listed`: not asked
  int32_t result = kSnmpNoAnswer;
  DeviceInfo device{};
};

// Asks the library for each of `printers` whose address is not in `listed`.
// Any thread.
std::vector<AskedAnnouncement> AskAnnouncedPrinters(SnmpContext* context, const std::vector<AnnouncedPrinter>& printers,
                                                    const std::set<uint32_t>& listed);
// Lists the asked printers that were not listed before.
AnnouncedListing ListAskedAnnouncements(PrinterListOwner& owner, const std::vector<AskedAnnouncement>& asked);

// Asks and lists every printer of `printers` whose address is not in `listed`, nor
// listed in the library already.
AnnouncedListing ListAnnouncedPrinters(PrinterListOwner& owner, const std::vector<AnnouncedPrinter>& printers,
                                       const std::set<uint32_t>& listed);
