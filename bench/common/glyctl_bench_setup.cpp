#include "glyctl_bench_setup.h"

#include <stdlib.h>

#include "agent_peers.h"
#include "download/lpr.h"
#include "printers/app_directory.h"
#include "printers/clock.h"

std::optional<BenchPrinterPorts> StartBenchPrinters(
    printer_sim::Simulator& simulator, const std::vector<std::string>& addresses, std::string& error,
    const std::function<void(printer_sim::PrinterConfig&)>& configure) {
  BenchPrinterPorts ports;
  ports.snmp = FreeUdpPort(addresses);
  ports.lpd = FreeTcpPort(addresses);
  ports.raw = FreeTcpPort(addresses);
  while (ports.raw == ports.lpd) ports.raw = FreeTcpPort(addresses);
  for (const std::string& address : addresses) {
    printer_sim::PrinterConfig config;
    config.address = address;
    config.snmpPort = ports.snmp;
    config.lpdPort = ports.lpd;
    config.rawPort = ports.raw;
    if (configure) configure(config);
    if (!simulator.AddPrinter(config, &error)) {
      error = "cannot start a printer at " + address + ": " + error;
      return std::nullopt;
    }
  }
  simulator.Start();
  return ports;
}

std::vector<std::string> PortVariables(const BenchPrinterPorts& ports) {
  return {"GLY_SNMP_PORT=" + std::to_string(ports.snmp), std::string(kLprPortEnv) + "=" + std::to_string(ports.lpd),
          std::string(kRawPortEnv) + "=" + std::to_string(ports.raw)};
}

void SetPortVariables(const BenchPrinterPorts& ports) {
  for (const std::string& variable : PortVariables(ports)) {
    const size_t equals = variable.find('=');
    setenv(variable.substr(0, equals).c_str(), variable.c_str() + equals + 1, 1);
  }
}

GlyctlEnvironment BenchGlyctlEnvironment(std::ostream& out, std::ostream& err, const std::string& scratch,
                                         JobSubmitter submit) {
  if (!submit) {
    submit = [](const char* address, JobPort port, const JobFile& job, const char* host, int number) {
      return SubmitJob(address, port, job, host, number);
    };
  }
  return {out, err, false, SystemClock(), std::move(submit), DefaultResourceLibraryPath(), scratch};
}
