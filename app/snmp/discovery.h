// How a printer that answered becomes a listed printer: its record, its
// model, and its line in the main window's sorted list. Shared by adding
// one printer by address and by the printers the SNMP library reports.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "printers/model_profile.h"
#include "printers/printer_record.h"
#include "snmp/contract/glysnmp.h"

class UiThread;

// What adding and discovering printers need of the window whose list the
// printers join; the main window implements it. Called on the user-
// interface thread only.
class PrinterListOwner {
 public:
  // Lists a printer that was found: puts `listText` at its sorted place and
  // the record at the same place of the printer list; returns that place.
  virtual int AddPrinter(std::unique_ptr<PrinterRecord> record, const std::string& listText) = 0;
  // The models found printers are matched against.
  virtual const ModelProfileTable& profiles() const = 0;
  virtual SnmpContext* snmpContext() = 0;
  virtual int itemCount() const = 0;
  // Selects item `row` (-1 or out of range: none).
  virtual void SelectItem(int row) = 0;
  // Where reports from the library's own threads are carried out.
  virtual UiThread& uiThread() = 0;
  // Runs `work` off the user-interface thread, so that the window keeps
  // answering while the library waits for printers; `work` reports back
  // through uiThread().
  virtual void RunInBackground(std::function<void()> work) = 0;
  // Shows `text` in the window's status bar.
  virtual void ShowStatus(const std::string& text) = 0;
  // The addresses of the printers listed, in list order.
  virtual std::vector<uint32_t> ListedAddresses() const = 0;

 protected:
  ~PrinterListOwner() = default;
};

// A record for `device` at `address`: default community strings, the
// device's description as model text and its name, no model values yet
// (optionsKnown 0, fontNameIndex 1, pclList 0).
PrinterRecord NewPrinterRecord(const DeviceInfo& device, uint32_t address);

// Finds the first of the table's complete profiles whose systemId equals
// the device's exactly. A match sets the record's model name (else it stays
// the device's description) and model values, and its storage options when
// the profile's StorageIndex settles them. Returns the profile, or nullptr.
const ModelProfile* MatchModelProfile(const DeviceInfo& device, PrinterRecord& record,
                                      const ModelProfileTable& table);

// Asks the printer of a record about to be listed what it has: its storage
// options (AskPrinterStorage) and its languages and channels
// (AskPrinterAbilities).
void AskPrinterWhatItHas(PrinterRecord& record);
// The storage options by what the printer reports (SnmpGetReportedStorage),
// where a model profile's StorageIndex (optionsKnown 1) stands only when
// the printer tells nothing of its storage, and a printer without either
// has none.
void AskPrinterStorage(PrinterRecord& record);
// The languages and channels (SnmpGetPrinterAbilities), kept in the run's
// PrinterAbilitiesStore, over what was known of them before where the
// printer tells nothing.
void AskPrinterAbilities(PrinterRecord& record);

// Builds the record of `device` at `address` and adds it to the owner's
// list under its PrinterDisplayName; returns the list position.
int AddAnsweredPrinter(PrinterListOwner& owner, const DeviceInfo& device, uint32_t address);

// Hands `owner` to the library as the context of its printer reports
// (SnmpInitContext with OnPrinterFound) and lets reports reach it from now
// on. StopPrinterReports, when the owner is destroyed, ends that: the
// library keeps its context for the whole process, so it may report after
// the owner is gone, and a report posted from another thread may wait in
// the queue until after it closed. Both on the user-interface thread.
void StartPrinterReports(PrinterListOwner& owner);
void StopPrinterReports(PrinterListOwner& owner);

// The PrinterFoundCallback; `owner` is the PrinterListOwner given by
// StartPrinterReports. The report is copied and carried out on the user-
// interface thread (at once when already there). It neither selects the new
// item nor checks whether the address is listed already.
void OnPrinterFound(const DeviceInfo* device, void* owner);

// Selects the owner's last item once every report that reached the user-
// interface thread's queue before this call has been listed: the library
// may report the printers of a search from its own threads, and those
// reports are still waiting when the search returns.
void SelectLastPrinterAfterReports(PrinterListOwner& owner);

// Runs `then` with `owner` on the user-interface thread once the reports
// queued before this call are listed, unless the owner has been destroyed
// by then. Any thread may call it.
void AfterReportsListed(PrinterListOwner& owner, std::function<void(PrinterListOwner&)> then);
// Runs `then` with `owner` on the user-interface thread, at once when
// called there, unless the owner has been destroyed by then.
void RunForLiveOwner(PrinterListOwner& owner, std::function<void(PrinterListOwner&)> then);
