// The report's PDF drawing, which needs Qt GUI, lives in a module of its
// own that `glyctl report` alone loads: every other command starts without
// Qt. The module is built with the program and exports one function.
#pragma once

#include "fonts/list_report.h"

#define GLY_PDF_MODULE_FILE "libglyctl_pdf.so"
inline constexpr char kPrintOnPdfName[] = "GlyPrintOnPdf";

// Draws on the device it is given, with the context it was passed along.
using GlyPdfPrintFn = ReportPrinted (*)(PrintDevice& device, void* context);

// Runs `print` on a device that draws into a new PDF file at `path`, with
// a Qt application on the offscreen platform for the fonts when none runs.
using GlyPrintOnPdfFn = ReportPrinted (*)(const char* path, GlyPdfPrintFn print, void* context);
