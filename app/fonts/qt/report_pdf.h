// A list report written straight into a PDF file, with no window at all:
// for commands that print a report without a display. Needs a
// QGuiApplication for its fonts (the offscreen platform will do).
#pragma once

#include <string>

#include "fonts/list_report.h"

// A4 pages at 1200 dots per inch; `path` is replaced. `title` (the default
// one when empty), which is also the PDF's title, and `subtitle` head every
// page.
ReportPrinted WriteListReportPdf(const ReportList& list, const std::string& path, const std::string& subtitle = {},
                                 const std::string& title = {});
