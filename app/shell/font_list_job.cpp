#include "shell/font_list_job.h"

#include "download/lpr.h"
#include "ui/resource_module.h"

const char* FontListJobFileName(FontListKind kind, const PrinterRecord& printer) {
  if (kind == FontListKind::PostScript) return "FontList.ps";
  return printer.pclList == 1 ? "FontList1.pcl" : "FontList.pcl";
}

std::string JobNotSentText(int result) {
  const char* reason = LprResultMessage(result);
  return LoadResourceString(kSocketFailureText) + " (" +
         (reason ? reason : "socket error " + std::to_string(result)) + ")";
}
