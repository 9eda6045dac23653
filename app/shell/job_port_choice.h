// The "Job Port" dialog (147), reached from the main window's "Printer"
// menu: which port one printer's jobs go to, whether its downloads are
// checked on the printer afterwards, and whether its LPR jobs keep the fixed
// waits older printers need. What it shows and stores are the
// printer's PrinterSettings in the run's store.
#pragma once

#include "printers/printer_settings.h"

namespace job_port_dialog {

enum Resource : int { kDialog = 147 };

enum Control : int {
  kLprRadio = 1110,
  kRawRadio = 1111,
  kIppRadio = 1112,
  kVerifyCheck = 1113,
  kLprPacingCheck = 1114,  // checked: classic LPR pacing
};

}  // namespace job_port_dialog

// The radio of `port`, and the port of a radio (LPR for any other id).
int JobPortRadio(JobPort port);
JobPort JobPortOfRadio(int radioId);
