#include "shell/job_port_choice.h"

#include "download/job_port.h"
#include "fonts/format_text.h"
#include "ui/resource_module.h"

using namespace job_port_dialog;

namespace {

// "&LPR queue (port %u)", "&Raw AppSocket port (%u)", "&IPP (port %u)".
constexpr int kLprRadioText = 33041;
constexpr int kRawRadioText = 33042;
constexpr int kIppRadioText = 33043;

}  // namespace

int JobPortRadio(JobPort port) {
  switch (port) {
    case JobPort::Raw: return kRawRadio;
    case JobPort::Ipp: return kIppRadio;
    case JobPort::Lpr: break;
  }
  return kLprRadio;
}

std::string JobPortRadioText(JobPort port, const JobPortSettings& settings) {
  switch (port) {
    case JobPort::Raw: return FormatText(LoadResourceString(kRawRadioText), unsigned{settings.rawPort});
    case JobPort::Ipp: return FormatText(LoadResourceString(kIppRadioText), unsigned{settings.ippPort});
    case JobPort::Lpr: break;
  }
  return FormatText(LoadResourceString(kLprRadioText), unsigned{settings.lprPort});
}

JobPort JobPortOfRadio(int radioId) {
  if (radioId == kRawRadio) return JobPort::Raw;
  if (radioId == kIppRadio) return JobPort::Ipp;
  return JobPort::Lpr;
}
