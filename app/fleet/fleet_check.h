// Checking a fleet: every printer's font list read side by side, and for
// each printer and resource whether the printer holds it (resource_holding.h).
//
// Runs on the calling thread and on `parallel` threads of its own; the SNMP
// library's font list and file questions may be asked from any thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <vector>

#include "fleet/resource_holding.h"
#include "fleet/set_jobs.h"
#include "snmp/contract/snmp_records.h"

// Printers checked side by side at most; more only add connections.
inline constexpr int kMostParallelChecks = 64;

struct PrinterCheck {
  PrinterFonts fonts;
  std::vector<HoldingCell> cells;  // one per resource, in the set's order
};

// Whether the printer answered at all: a printer whose file system is
// closed or locked answered; one that was silent, or too slow for its
// listing, did not.
bool PrinterAnswered(const PrinterCheck& check);

// The printer's fonts: its font table, else what its file system lists.
PrinterFonts ReadPrinterFonts(const PrinterRecord& printer);

// Checks one printer for every resource of `resources`.
PrinterCheck CheckPrinter(const PrinterRecord& printer, const std::vector<SetResourceParts>& resources);

// Calls `work` once for each of `count` items, `parallel` at a time, on
// threads of its own; returns when all have run. Once `stop` is set no
// further item starts.
void RunSideBySide(size_t count, int parallel, const std::function<void(size_t item)>& work,
                   const std::atomic<bool>* stop = nullptr);

// Checks every printer, `parallel` at a time. `arrived` is called on a
// checking thread as each printer's check is done (one call at a time).
// Printers not started before `stop` was set are left out.
void CheckFleet(const std::vector<PrinterRecord>& printers, const std::vector<SetResourceParts>& resources,
                int parallel, const std::function<void(size_t printer, PrinterCheck check)>& arrived,
                const std::atomic<bool>* stop = nullptr);
