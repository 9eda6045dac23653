// The ready-made jobs that make a printer print its own font list: data
// files that come with the program, sent to the printer's LPR queue as they
// are.
#pragma once

#include "snmp/contract/snmp_records.h"

enum class FontListKind { PostScript, Pcl };

// "FontList.ps" for PostScript; for PCL "FontList1.pcl" when the printer's
// model asks for it (pclList 1), else "FontList.pcl". A name in the data
// folder (AppDataFilePath).
const char* FontListJobFileName(FontListKind kind, const PrinterRecord& printer);
