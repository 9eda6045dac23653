// What glyctl shows of a printer beyond its record, from the SNMP library's
// details call: system id, the printer's own model text, serial number,
// storage with its free space, and how its font list is read.
#pragma once

#include <string>

#include "glyctl/output_table.h"
#include "glysnmp.h"

// The printer's details; all empty when it does not answer.
SnmpPrinterDetails ReadPrinterDetails(PrinterRecord& printer);

// "font MIB", "PJL", "PCL readback", "PostScript"; empty for none.
std::string FontSourceText(int32_t source);

// One line for people: "disk 2.9 MiB free of 3.9 MiB; flash 8.0 MiB (not
// usable)"; "none" without storage.
std::string StorageSpaceText(const SnmpPrinterDetails& details);

// The printer as every JSON document shows it: address, name, model (as
// listed), device_model (its own text), system_id, serial_number, storage
// (StorageAreaTable's rows) and font_source.
Json PrinterJson(const PrinterRecord& printer, const SnmpPrinterDetails& details);

// One row per storage area: kind, description, sizes in bytes (empty when
// unknown), and whether downloads may go there.
OutputTable StorageAreaTable(const SnmpPrinterDetails& details);
