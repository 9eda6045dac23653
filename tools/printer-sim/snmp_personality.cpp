#include "snmp_personality.h"

namespace printer_sim {

void UseRealPrinterDefaults(SnmpPersonality& personality) {
  personality.fontMib = false;
  personality.storageReport = StorageReport::kDeviceTable;
  personality.printerMib = true;
}

}  // namespace printer_sim
