// The functions of the SNMP access library that glyctl calls. Only commands
// that reach printers load it, and with it net-snmp and the crypto library
// under that; help, version and the commands that only send jobs do not.
#include "snmp/contract/glysnmp.h"
#include "glyctl/on_demand/on_demand_library.h"

namespace {
const OnDemandLibrary kGlysnmp{"libGLYSNMP.so", "reaching printers over SNMP", true};
}  // namespace

extern "C" {
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpInitContext,
              (SnmpContext * context, PrinterFoundCallback onPrinterFound, void* callbackContext, uint32_t reserved),
              (context, onPrinterFound, callbackContext, reserved))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpGetDefaultAddress, (uint32_t * address), (address))
GLY_ON_DEMAND(kGlysnmp, uint32_t, SnmpSubnetTarget, (uint32_t subnetAddress, uint32_t subnetMask),
              (subnetAddress, subnetMask))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpDiscoverPrinters,
              (SnmpContext * context, uint32_t target, uint32_t reserved1, uint32_t reserved2),
              (context, target, reserved1, reserved2))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpAddPrinter, (SnmpContext * context, uint32_t address, DeviceInfo* device),
              (context, address, device))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpForgetPrinter, (SnmpContext * context, uint32_t address), (context, address))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpGetPrinterOptions, (PrinterRecord * printer), (printer))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpGetReportedStorage, (PrinterRecord * printer, uint32_t* storageOptions),
              (printer, storageOptions))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpGetFontList, (PrinterRecord * printer, FontList* fonts), (printer, fonts))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpGetFontListFrom, (PrinterRecord * printer, FontList* fonts, int32_t afterIndex),
              (printer, fonts, afterIndex))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpFreeFontList, (FontList * fonts), (fonts))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpDeleteFontStart, (DeleteContext * context, int32_t fontIndex),
              (context, fontIndex))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpDeleteFontPoll, (DeleteContext * context, int32_t fontIndex, uint32_t* pending),
              (context, fontIndex, pending))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpDeleteFontEnd, (DeleteContext * context), (context))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpGetPrinterDetails, (PrinterRecord * printer, SnmpPrinterDetails* details),
              (printer, details))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpSetPjlPassword, (uint32_t address, uint32_t password), (address, password))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpGetPrinterAbilities, (PrinterRecord * printer, SnmpPrinterAbilities* abilities),
              (printer, abilities))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpGetFontTable, (PrinterRecord * printer, FontList* fonts), (printer, fonts))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpQueryStoredFileSize, (uint32_t address, const char* printerPath, uint64_t* size),
              (address, printerPath, size))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpUploadStoredFileHead,
              (uint32_t address, const char* printerPath, char* head, uint32_t capacity, uint32_t* length),
              (address, printerPath, head, capacity, length))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpGetPjlPassword, (uint32_t address, uint32_t* password), (address, password))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpSetPrinterSecurity, (uint32_t address, const SnmpSecurity* security),
              (address, security))
GLY_ON_DEMAND(kGlysnmp, int32_t, SnmpSetDiscoverySecurity, (const SnmpSecurity* security), (security))
GLY_ON_DEMAND(kGlysnmp, const char*, SnmpResultText, (int32_t result), (result))
}
