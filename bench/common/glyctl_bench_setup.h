// The set-up the glyctl benchmarks share: virtual printers glyctl finds
// through its port variables, and glyctl run in this process sending real
// jobs.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "download/job_port.h"
#include "glyctl/glyctl.h"
#include "printer_sim.h"

struct BenchPrinterPorts {
  uint16_t snmp = 0;
  uint16_t lpd = 0;
  uint16_t raw = 0;
};

// Starts a virtual printer at each of `addresses`, all answering at one
// SNMP, one LPD and one AppSocket port, each set first by `configure` when
// given; nullopt, with why in `error`, when one cannot start.
std::optional<BenchPrinterPorts> StartBenchPrinters(
    printer_sim::Simulator& simulator, const std::vector<std::string>& addresses, std::string& error,
    const std::function<void(printer_sim::PrinterConfig&)>& configure = nullptr);

// GLY_SNMP_PORT, GLY_LPR_PORT and GLY_RAW_PORT naming `ports`, as
// "NAME=value" for a glyctl started as a process of its own.
std::vector<std::string> PortVariables(const BenchPrinterPorts& ports);
// The same variables set in this process, for glyctl run in it.
void SetPortVariables(const BenchPrinterPorts& ports);

// What RunGlyctl needs: the real clock, the build's resource library, job
// folders in `scratch`, and jobs sent by `submit` (the program's own
// SubmitJob when empty).
GlyctlEnvironment BenchGlyctlEnvironment(std::ostream& out, std::ostream& err, const std::string& scratch,
                                         JobSubmitter submit = nullptr);
