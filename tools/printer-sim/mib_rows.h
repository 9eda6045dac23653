// A printer's variables as they are built: each value is added under the
// object (scalar or column) it is an instance of, so the agent can tell a
// missing instance of an object it serves (noSuchInstance) from an object
// it does not serve (noSuchObject).
#pragma once

#include <initializer_list>
#include <vector>

#include "printer_sim.h"
#include "snmp_ber.h"

namespace printer_sim {

class Printer;

// hrDeviceIndex of the printer, which the Printer MIB's tables share.
inline constexpr uint32_t kPrinterDeviceIndex = 1;
enum TruthValue : int32_t { kTrue = 1, kFalse = 2 };

struct Variable {
  Oid name;
  Value value;
};

class MibRows {
 public:
  void Clear();
  // The variable `object`.`instance`.
  void Add(const Oid& object, std::initializer_list<uint32_t> instance, Value value);
  // An object served even while it has no instances (an empty table's columns).
  void Serve(const Oid& object);
  // Sorts the variables by name; call once every row is added.
  void Finish();

  std::vector<Variable>& variables() { return variables_; }
  bool IsKnownObject(const Oid& name) const;

 private:
  std::vector<Variable> variables_;
  std::vector<Oid> objects_;
};

// The model as the printer row names it.
inline const std::string& DeviceDescription(const PrinterConfig& config) {
  return config.snmp.deviceDescription.empty() ? config.description : config.snmp.deviceDescription;
}

// The rows of the MIB groups beside the system group and the font table,
// each as the printer's personality asks (tools/printer-sim/printer_mib.cpp
// lists every object served).
void AddHostResources(MibRows& rows, const Printer& printer);
void AddPrinterMib(MibRows& rows, const Printer& printer);
void AddPortMonitor(MibRows& rows, const Printer& printer);

}  // namespace printer_sim
