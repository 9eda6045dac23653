// Asking a printer whether what a download sent to it is there, through the
// SNMP access library: fonts in the printer's font table where it has one,
// anything else (and fonts where it has no font table) by the file the job
// wrote, over PJL: by its size, and by its first bytes where the printer
// does not tell the size but the job fixed them. Runs on the download
// worker's thread; every wait goes through the Clock.
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
  kUnknown,    // the printer could not be asked, or its answer proves nothing
};

// A printer may store a job a while after it took it: what is not found is
// looked for again, after a pause that doubles from the first to the
// longest, until the deadline has passed since the first question.
// GLY_DOWNLOAD_CHECK_SECONDS sets the deadline (0 asks once).
inline constexpr uint32_t kDefaultCheckSeconds = 30;
inline constexpr uint32_t kMostCheckSeconds = 3600;
inline constexpr uint32_t kFirstCheckPauseMs = 1000;
inline constexpr uint32_t kLongestCheckPauseMs = 8000;
uint32_t DownloadCheckDeadlineMs();

// One answer per entry of `sent`, in its order.
std::vector<Presence> AskPrinterFor(const PrinterRecord& printer, const std::vector<SentResource>& sent,
                                    Clock& clock, uint32_t deadlineMs = DownloadCheckDeadlineMs());

// The answer for a resource sent as all of `sent`: stored when every part
// is, not stored when any part is not, else unknown.
Presence PresenceOfAll(const std::vector<Presence>& parts);
