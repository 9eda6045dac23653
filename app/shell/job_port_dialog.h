// "Job Port" (dialog 147): the three job ports of one printer as radios, each
// with the port number in use, and the download check and the LPR pacing as
// check boxes; OK stores them for the printer's address in the run's printer
// settings.
#pragma once

#include "printers/printer_record.h"
#include "ui/template_dialog.h"

class JobPortDialog final : public TemplateDialog {
  Q_OBJECT
 public:
  JobPortDialog(const PrinterRecord& printer, QWidget* parent);
};
