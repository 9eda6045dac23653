// How a printer that answered becomes a listed printer: its record, its
// model, and its line in the main window's sorted list. Shared by adding
// one printer by address and by the printers the SNMP library reports.
#pragma once

#include <cstdint>
#include <string>

#include "shell/model_profile.h"
#include "shell/printer_record.h"
#include "snmp/contract/glysnmp.h"

class MainWindowLogic;

// A record for `device` at `address`: default community strings, the
// device's description as model text and its name, no model values yet
// (optionsKnown 0, fontNameIndex 1, pclList 0).
PrinterRecord NewPrinterRecord(const DeviceInfo& device, uint32_t address);

// The start of a printer's list text: "a.b.c.d (name) ".
std::string BeginListText(uint32_t address, const DeviceInfo& device);

// Finds the first of the table's complete profiles whose systemId equals
// the device's exactly. Appends " (" plus "Ostrel <model>" or the device's
// description, and ") ", to `listText`; a match also sets the record's
// model name and model values, and its storage options when the profile's
// StorageIndex settles them. Returns the profile, or nullptr.
const ModelProfile* MatchModelProfile(const DeviceInfo& device, PrinterRecord& record,
                                      std::string& listText, const ModelProfileTable& table);

// Builds the record and list text of `device` at `address` and adds them to
// the main window's list; returns the list position.
int AddAnsweredPrinter(MainWindowLogic& window, const DeviceInfo& device, uint32_t address);

// The PrinterFoundCallback given to SnmpInitContext; `mainWindow` is the
// MainWindowLogic. The report is copied and carried out on the user-
// interface thread (at once when already there). It neither selects the new
// item nor checks whether the address is listed already. Reports reach only
// a window between StartPrinterReports and StopPrinterReports: the library
// keeps its context for the whole process, so it may report after the
// window is gone, and a report posted from another thread may wait in the
// queue until after the window closed.
void OnPrinterFound(const DeviceInfo* device, void* mainWindow);

// Called on the user-interface thread: before the window is handed to the
// library, and when it is destroyed.
void StartPrinterReports(MainWindowLogic* window);
void StopPrinterReports(MainWindowLogic* window);
