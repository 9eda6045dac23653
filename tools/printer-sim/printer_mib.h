// The objects a virtual printer serves: the system group, the host
// resources storage, device and printer tables, and the font table of
// GLY-FONT-MIB (mibs/GLY-FONT-MIB.txt), in OID order.
#pragma once

#include <cstdint>
#include <vector>

#include "printer.h"
#include "snmp_ber.h"

namespace printer_sim {

struct Variable {
  Oid name;
  Value value;
};

// The printer's variables, rebuilt only when the printer changed.
class PrinterMib {
 public:
  // Sorted by name; sysUpTime is current.
  const std::vector<Variable>& Variables(Printer& printer);

  // SET in two phases: check every binding (an SnmpError, kNoError when it
  // may be applied), then apply them all.
  int32_t CheckSet(Printer& printer, const VarBind& binding);
  static void ApplySet(Printer& printer, const VarBind& binding);

 private:
  void Rebuild(Printer& printer);

  std::vector<Variable> variables_;
  uint64_t builtGeneration_ = UINT64_MAX;
  size_t upTimeSlot_ = 0;
};

// True when `name` lies under an object this agent serves, so a missing
// instance is noSuchInstance rather than noSuchObject.
bool IsKnownObject(const Oid& name);

}  // namespace printer_sim
