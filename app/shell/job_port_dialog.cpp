#include "shell/job_port_dialog.h"

#include <QAbstractButton>

#include "download/job_port.h"
#include "shell/job_port_choice.h"
#include "ui/single_byte_text.h"

using namespace job_port_dialog;

JobPortDialog::JobPortDialog(const PrinterRecord& printer, QWidget* parent) : TemplateDialog(kDialog, parent) {
  if (const auto title = ToSingleByte(windowTitle()))
    setWindowTitle(ShownFromSingleByte(PrinterDialogTitle(*title, printer)));
  const JobPortSettings ports = DefaultJobPortSettings();
  for (JobPort port : {JobPort::Lpr, JobPort::Raw, JobPort::Ipp})
    if (auto* radio = ControlAs<QAbstractButton>(JobPortRadio(port)))
      radio->setText(ShownFromSingleByte(JobPortRadioText(port, ports)));
  const uint32_t address = printer.address;
  const PrinterSettings settings = RunPrinterSettings().Get(address);
  if (auto* radio = ControlAs<QAbstractButton>(JobPortRadio(settings.port))) radio->setChecked(true);
  if (auto* verify = ControlAs<QAbstractButton>(kVerifyCheck)) verify->setChecked(settings.verifyDownloads);
  if (auto* paced = ControlAs<QAbstractButton>(kLprPacingCheck)) paced->setChecked(settings.lprPacing == LprPacing::Classic);
  Bind(1, Notification::Clicked, [this, address] {
    PrinterSettings chosen;
    for (int id : {kLprRadio, kRawRadio, kIppRadio})
      if (auto* radio = ControlAs<QAbstractButton>(id); radio && radio->isChecked()) chosen.port = JobPortOfRadio(id);
    if (auto* verify = ControlAs<QAbstractButton>(kVerifyCheck)) chosen.verifyDownloads = verify->isChecked();
    if (auto* paced = ControlAs<QAbstractButton>(kLprPacingCheck))
      chosen.lprPacing = paced->isChecked() ? LprPacing::Classic : LprPacing::None;
    RunPrinterSettings().Set(address, chosen);
    accept();
  });
}
