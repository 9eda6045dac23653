// A new PDF file as a print device: A4 pages at 1200 dots per inch, the
// document's name as the PDF's title. Needs a QGuiApplication for its fonts
// (the offscreen platform will do).
#pragma once

#include <functional>
#include <string>

#include "fonts/list_report.h"

// Runs `print` on a device that draws into the file at `path`, which is
// replaced, and returns what it returns.
ReportPrinted PrintOnPdf(const std::string& path, const std::function<ReportPrinted(PrintDevice&)>& print);
