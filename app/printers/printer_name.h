// How a printer is named wherever the program shows one: the main window's
// list, window titles, the font list, the deletion, the report and the
// status texts all use this one form, so a printer reads alike everywhere.
#pragma once

#include <string>

#include "printers/printer_record.h"

// "NAME (MODEL) ADDRESS", as "LAB2 (Model 40) 10.1.2.3". The model is the
// record's own text, which may already hold its maker's name, so no maker is
// added. An empty name or model is left out with its brackets.
std::string PrinterDisplayName(const PrinterRecord& printer);
