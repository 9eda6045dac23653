// What the program's smaller windows say, offscreen: the Job Port dialog's
// real port numbers.
#include <QAbstractButton>
#include <cstdlib>

#include "printers/printer_record.h"
#include "qt_test_environment.h"
#include "shell/job_port_choice.h"
#include "shell/job_port_dialog.h"

namespace {

TEST(JobPortDialog, EachRadioNamesThePortItsJobsReallyGoTo) {
  PrinterRecord printer = MakePrinterRecord();
  CopyRecordText(printer.printerName, "LAB2");
  printer.address = 0x7F00000Au;
  const auto texts = [&] {
    JobPortDialog dialog(printer, nullptr);
    std::vector<QString> shown;
    for (int id : {job_port_dialog::kLprRadio, job_port_dialog::kRawRadio, job_port_dialog::kIppRadio})
      shown.push_back(dialog.ControlAs<QAbstractButton>(id)->text());
    EXPECT_EQ(dialog.windowTitle(), "Job Port - LAB2 127.0.0.10");
    return shown;
  };
  EXPECT_EQ(texts(), (std::vector<QString>{"&LPR queue (port 515)", "&Raw AppSocket port (9100)", "&IPP (port 631)"}));
  setenv("GLY_LPR_PORT", "5515", 1);
  setenv("GLY_RAW_PORT", "19100", 1);
  setenv("GLY_IPP_PORT", "1631", 1);
  EXPECT_EQ(texts(), (std::vector<QString>{"&LPR queue (port 5515)", "&Raw AppSocket port (19100)", "&IPP (port 1631)"}));
  for (const char* name : {"GLY_LPR_PORT", "GLY_RAW_PORT", "GLY_IPP_PORT"}) unsetenv(name);
}

}  // namespace
