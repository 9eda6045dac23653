// A STAND-IN for the SNMP access library, until the real libGLYSNMP.so
// lands in this folder. It keeps the contract of glysnmp.h so the
// program links and starts, but it talks to no printer: every call fails
// (-1), no default address is offered, discovery finds nothing and font
// lists stay empty. It is not the test double (tests/app/snmp_double) and
// must not be mistaken for a finished library.
#include "glysnmp.h"

namespace {
constexpr int32_t kNotImplemented = -1;
}

extern "C" {

int32_t SnmpInitContext(SnmpContext*, PrinterFoundCallback, void*, uint32_t) { return kNotImplemented; }

int32_t SnmpGetDefaultAddress(uint32_t*) { return kNotImplemented; }

uint32_t SnmpSubnetTarget(uint32_t, uint32_t) { return 0; }

int32_t SnmpDiscoverPrinters(SnmpContext*, uint32_t, uint32_t, uint32_t) { return kNotImplemented; }

int32_t SnmpAddPrinter(SnmpContext*, uint32_t, DeviceInfo*) { return kNotImplemented; }

int32_t SnmpGetPrinterOptions(PrinterRecord*) { return kNotImplemented; }

int32_t SnmpGetFontList(PrinterRecord*, FontList* fonts) {
  if (fonts) *fonts = FontList{0, nullptr};
  return kNotImplemented;
}

int32_t SnmpGetFontListFrom(PrinterRecord*, FontList* fonts, int32_t) {
  if (fonts) *fonts = FontList{0, nullptr};
  return kNotImplemented;
}

int32_t SnmpFreeFontList(FontList* fonts) {
  if (fonts) *fonts = FontList{0, nullptr};
  return kNotImplemented;
}

int32_t SnmpDeleteFontStart(DeleteContext*, int32_t) { return kNotImplemented; }

int32_t SnmpDeleteFontPoll(DeleteContext*, int32_t, uint32_t* pending) {
  if (pending) *pending = 1;
  return kNotImplemented;
}

int32_t SnmpDeleteFontEnd(DeleteContext*) { return kNotImplemented; }

}  // extern "C"
