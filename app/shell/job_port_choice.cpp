#include "shell/job_port_choice.h"

using namespace job_port_dialog;

int JobPortRadio(JobPort port) {
  switch (port) {
    case JobPort::Raw: return kRawRadio;
    case JobPort::Ipp: return kIppRadio;
    case JobPort::Lpr: break;
  }
  return kLprRadio;
}

JobPort JobPortOfRadio(int radioId) {
  if (radioId == kRawRadio) return JobPort::Raw;
  if (radioId == kIppRadio) return JobPort::Ipp;
  return JobPort::Lpr;
}
