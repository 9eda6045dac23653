// Asking a printer whether what a download sent to it is there, through the
// SNMP access library: fonts in the printer's font table where it has one,
// anything else (and fonts where it has no font table) by the file the job
// wrote, over PJL, and by its size where the job fixed it. Runs on the
// download worker's thread; every wait goes through the Clock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "download/sent_resource.h"
#include "snmp/contract/snmp_records.h"

class Clock;

enum class Presence {
  kStored,     // seen on the printer
  kNotStored,  // the printer answered, and it is not there (or not as sent)
  kUnknown,    // the printer could not be asked
};

// A printer may store a job a moment after it took it: what is not found
// is looked for again, this many times in all, this far apart.
inline constexpr int kPresenceTries = 3;
inline constexpr uint32_t kPresenceRetryMs = 1000;

// One answer per entry of `sent`, in its order.
std::vector<Presence> AskPrinterFor(const PrinterRecord& printer, const std::vector<SentResource>& sent,
                                    Clock& clock);

// The answer for a resource sent as all of `sent`: stored when every part
// is, not stored when any part is not, else unknown.
Presence PresenceOfAll(const std::vector<Presence>& parts);
