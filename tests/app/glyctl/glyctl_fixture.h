// glyctl run in-process against virtual printers on the test's own loopback
// addresses: the real SNMP library, LPR client and converter, with a clock
// that does not wait.
#pragma once

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "download/job_port.h"
#include "fake_clock.h"
#include "glyctl/glyctl.h"
#include "glysnmp_test_support.h"
#include "printers/app_directory.h"
#include "printer_sim.h"
#include "sim_test_support.h"
#include "temp_dir.h"

// The glyctl program, built beside the test binary: found without help
// from the environment, so the binary also runs outside CTest.
inline std::string GlyctlProgram() {
  return (std::filesystem::canonical("/proc/self/exe").parent_path() / "glyctl").string();
}

struct GlyctlResult {
  int status = -1;
  std::string out;
  std::string err;
};

class GlyctlTest : public ::testing::Test {
 protected:
  // Starts printers at `subnet`.10, .11, ... (or from `firstHost` on)
  // sharing one SNMP port.
  void StartPrinters(const std::string& subnet, std::vector<printer_sim::PrinterConfig> configs, int firstHost = 10) {
    std::vector<std::string> addresses;
    for (size_t i = 0; i < configs.size(); ++i) addresses.push_back(subnet + "." + std::to_string(firstHost + i));
    snmpPort = FreeUdpPort(addresses);
    // One LPD port too, as GLY_LPR_PORT gives the program one.
    const uint16_t lpdPort = FreeTcpPort(addresses);
    // And one AppSocket port, as GLY_RAW_PORT gives the SNMP library one.
    rawPort = FreeTcpPort(addresses);
    while (rawPort == lpdPort) rawPort = FreeTcpPort(addresses);
    rawPortEnv = std::make_unique<EnvOverride>("GLY_RAW_PORT", std::to_string(rawPort));
    for (size_t i = 0; i < configs.size(); ++i) {
      configs[i].address = addresses[i];
      configs[i].snmpPort = snmpPort;
      configs[i].lpdPort = lpdPort;
      configs[i].rawPort = rawPort;
      configs[i].deletionMs = 0;
      std::string error;
      ASSERT_TRUE(simulator.AddPrinter(configs[i], &error)) << error;
      lpdPorts[addresses[i]] = simulator.LpdPort(i);
    }
    simulator.Start();
    agent = std::make_unique<AgentTest>(snmpPort);
  }

  GlyctlResult Run(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    GlyctlEnvironment environment{out, err, false, clock,
                                  [this](const char* address, JobPort port, const JobFile& job, const char* host,
                                         int number) {
                                    // Each job its own clock: with one shared, the pacing
                                    // sleeps of jobs side by side would run out another's
                                    // no-progress limit while it waits for its printer.
                                    FakeClock jobClock;
                                    JobPortSettings settings;
                                    settings.clock = &jobClock;
                                    settings.lprPort = lpdPorts.count(address) ? lpdPorts.at(address) : 9;
                                    settings.rawPort = rawPort;
                                    settings.connectTimeoutMs = 2000;
                                    settings.noProgressMs = 2000;
                                    return SubmitJob(address, port, job, host, number, settings);
                                  },
                                  DefaultResourceLibraryPath(), scratch.path()};
    GlyctlResult result;
    result.status = RunGlyctl(args, environment);
    result.out = out.str();
    result.err = err.str();
    return result;
  }

  // What Python's json or csv module makes of `text`: one line per row (of
  // the JSON document's array member), cells joined by '|' (JSON values as
  // Python shows them); "ERROR" when it does not parse.
  std::string ParsedBy(const std::string& module, const std::string& text) {
    const std::string file = scratch.file("output." + module);
    sim_test::WriteFile(file, text);
    const std::string script =
        module == "json"
            ? "import json,sys; doc=json.load(open(sys.argv[1],encoding='utf-8')); "
              "rows=[v for v in doc.values() if isinstance(v,list)][0]; "
              "print('\\n'.join('|'.join(str(v) for v in r.values()) for r in rows))"
            : "import csv,sys; rows=csv.reader(open(sys.argv[1],encoding='utf-8',newline='')); "
              "print('\\n'.join('|'.join(r) for r in rows))";
    const std::string check = module == "json" ? "python3 -m json.tool " + file + " >/dev/null && " : "";
    sim_test::CommandResult parsed =
        sim_test::RunCommand(check + "python3 -c \"" + script + "\" " + file + " 2>/dev/null || echo ERROR");
    return parsed.output;
  }

  // What is wrong with a JSON document's shape: schema_version, and every
  // printer (under "printer" or in "printers") and font with its members'
  // types; empty when nothing is.
  std::string SchemaProblem(const std::string& text) {
    const std::string file = scratch.file("schema.json");
    sim_test::WriteFile(file, text);
    const std::string script = R"PY(
import json, sys
doc = json.load(open(sys.argv[1], encoding='utf-8'))
text, count, maybe = str, int, (int, type(None))
printer = {'address': text, 'name': text, 'model': text, 'device_model': text, 'system_id': text,
           'serial_number': text, 'storage': list, 'font_source': (str, type(None))}
area = {'kind': text, 'description': text, 'capacity_bytes': maybe, 'free_bytes': maybe, 'usable': bool}
font = {'name': text, 'type': text, 'id': maybe, 'persistence': text, 'location': text, 'index': count}
def check(value, shape, where):
    for key, kind in shape.items():
        assert key in value and isinstance(value[key], kind), f'{where}.{key}: {value.get(key)!r}'
assert doc['schema_version'] == 1, 'schema_version'
for p in ([doc['printer']] if 'printer' in doc else doc.get('printers', [])):
    check(p, printer, 'printer')
    for a in p['storage']: check(a, area, 'storage')
for f in doc.get('fonts', []): check(f, font, 'font')
)PY";
    sim_test::WriteFile(file + ".py", script);
    return sim_test::RunCommand("python3 " + file + ".py " + file + " 2>&1 | tail -1").output;
  }

  std::vector<std::string> FontNames(size_t printer, int32_t persistence = printer_sim::kDownloaded) {
    std::vector<std::string> names;
    for (const printer_sim::Font& font : simulator.Fonts(printer))
      if (font.persistence == persistence) names.push_back(font.name);
    return names;
  }

  // Puts a PCL font named `name` on the printer's disk, as a download would.
  void PutFont(size_t printer, const std::string& name) {
    const size_t before = simulator.Fonts(printer).size();
    simulator.RunJob(printer, sim_test::PjlDownload('0', name, sim_test::PclSoftFont(name, 40)));
    ASSERT_EQ(simulator.Fonts(printer).size(), before + 1);
  }

  std::string WriteCommunityFile(const std::string& text, int mode) {
    const std::string path = scratch.file("communities");
    sim_test::WriteFile(path, text);
    chmod(path.c_str(), static_cast<mode_t>(mode));
    return path;
  }

  TempDir scratch;
  printer_sim::Simulator simulator;
  std::map<std::string, uint16_t> lpdPorts;
  uint16_t rawPort = 0;
  uint16_t snmpPort = 0;
  std::unique_ptr<AgentTest> agent;
  std::unique_ptr<EnvOverride> rawPortEnv;
  FakeClock clock;
};

inline const std::string kType1Pfb = "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb";
inline const std::string kTrueType = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
