// The "Job Port" dialog (147), reached from the main window's "Printer"
// menu: which port one printer's jobs go to, whether its downloads are
// checked on the printer afterwards, and whether its LPR jobs keep the fixed
// waits older printers need. What it shows and stores are the
// printer's PrinterSettings in the run's store.
#pragma once

#include <string>

#include "printers/printer_settings.h"

struct JobPortSettings;

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

// The radio's text with the port number jobs really go to, which the
// environment may have moved from 515, 9100 or 631: "&LPR queue (port 5515)".
std::string JobPortRadioText(JobPort port, const JobPortSettings& settings);
