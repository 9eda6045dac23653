// What a printer's DNS-SD announcement says of it: its model and, from its
// TXT keys and the services it announces, its languages and channels. The
// TXT values come from the network as they are.
#pragma once

#include <string>

#include "printers/printer_abilities.h"
#include "snmp/dns_sd_browse.h"

// What the announcement names the model: `ty`, else `product` without its
// parentheses, else `usb_MFG` and `usb_MDL`; empty when none.
std::string AnnouncedModel(const AnnouncedPrinter& printer);

// The languages its `pdl` (MIME types) and `usb_CMD` name, and a channel,
// enabled, per service announced: LPD, raw, IPP.
PrinterAbilities AnnouncedAbilities(const AnnouncedPrinter& printer);
