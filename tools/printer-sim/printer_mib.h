// The objects a virtual printer serves: the system group, the host
// resources storage, device, printer and disk storage tables, the Printer
// MIB's general, marker and supplies tables, the Printer Port Monitor MIB
// and the font table of GLY-FONT-MIB (mibs/GLY-FONT-MIB.txt), each as the
// printer's SNMP personality asks, in OID order.
#pragma once

#include <cstdint>
#include <vector>

#include "mib_rows.h"
#include "printer.h"
#include "snmp_ber.h"

namespace printer_sim {

// The printer's variables, rebuilt only when the printer changed.
class PrinterMib {
 public:
  // Sorted by name; sysUpTime is current.
  const std::vector<Variable>& Variables(Printer& printer);

  // True when `name` lies under an object this printer serves, so a
  // missing instance is noSuchInstance rather than noSuchObject. As of the
  // last call of Variables.
  bool IsKnownObject(const Oid& name) const { return rows_.IsKnownObject(name); }

  // SET in two phases: check every binding (an SnmpError, kNoError when it
  // may be applied), then apply them all.
  int32_t CheckSet(Printer& printer, const VarBind& binding);
  static void ApplySet(Printer& printer, const VarBind& binding);

 private:
  void Rebuild(Printer& printer);

  MibRows rows_;
  uint64_t builtGeneration_ = UINT64_MAX;
  size_t upTimeSlot_ = 0;
};

}  // namespace printer_sim
