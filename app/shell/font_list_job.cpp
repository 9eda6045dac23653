#include "shell/font_list_job.h"

const char* FontListJobFileName(FontListKind kind, const PrinterRecord& printer) {
  if (kind == FontListKind::PostScript) return "FontList.ps";
  return printer.pclList == 1 ? "FontList1.pcl" : "FontList.pcl";
}
