// The virtual printer's SNMP agent, read and written with net-snmp's
// command-line tools.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "printer_sim.h"
#include "sim_test_support.h"

using namespace printer_sim;
using sim_test::PclSoftFont;
using sim_test::PjlDownload;
using sim_test::RunCommand;
using sim_test::SnmpTarget;
using sim_test::SnmpTool;

namespace {

const std::string kFontEntry = ".1.3.6.1.4.1.32473.2.1.2.1";

class SnmpAgentTest : public testing::Test {
 protected:
  size_t Start(PrinterConfig config) {
    size_t printer = *simulator_.AddPrinter(config);
    simulator_.Start();
    return printer;
  }

  std::string Ask(const std::string& tool, size_t printer, const std::string& oids,
                  const std::string& community = "vorpal", const std::string& version = "2c") {
    return RunCommand(SnmpTool(tool, community, version) + SnmpTarget(simulator_, printer) + " " + oids +
                      " 2>&1")
        .output;
  }

  Simulator simulator_;
};

PrinterConfig Config(const char* address) {
  PrinterConfig config;
  config.address = address;
  config.name = "Front desk";
  config.description = "Quill 4500 PS";
  config.systemId = "1.3.6.1.4.1.32473.1.1.2";
  return config;
}

TEST_F(SnmpAgentTest, NetSnmpReadsIdentityAndStorage) {
  PrinterConfig config = Config("127.0.0.31");
  config.storage = Storage::kFlash;
  size_t printer = Start(config);

  std::string identity = Ask("snmpget", printer, ".1.3.6.1.2.1.1.1.0 .1.3.6.1.2.1.1.2.0 .1.3.6.1.2.1.1.5.0");
  EXPECT_NE(identity.find(".1.3.6.1.2.1.1.1.0 = STRING: \"Quill 4500 PS\""), std::string::npos) << identity;
  EXPECT_NE(identity.find(".1.3.6.1.2.1.1.2.0 = OID: .1.3.6.1.4.1.32473.1.1.2"), std::string::npos) << identity;
  EXPECT_NE(identity.find(".1.3.6.1.2.1.1.5.0 = STRING: \"Front desk\""), std::string::npos) << identity;
  // SNMPv1 and the write community read too.
  EXPECT_NE(Ask("snmpget", printer, ".1.3.6.1.2.1.1.3.0", "quillet", "1").find("Timeticks"), std::string::npos);

  std::string storage = Ask("snmpwalk", printer, ".1.3.6.1.2.1.25.2.3.1.2");
  EXPECT_EQ(storage, ".1.3.6.1.2.1.25.2.3.1.2.2 = OID: .1.3.6.1.2.1.25.2.1.9\n");
  std::string device = Ask("snmpget", printer, ".1.3.6.1.2.1.25.3.2.1.2.1");
  EXPECT_NE(device.find("OID: .1.3.6.1.2.1.25.3.1.5"), std::string::npos) << device;

  // Used units grow when a font is stored.
  std::string used = ".1.3.6.1.2.1.25.2.3.1.6.2";
  EXPECT_NE(Ask("snmpget", printer, used).find("INTEGER: 0"), std::string::npos);
  simulator_.RunJob(printer, PjlDownload('1', "Big", std::string(5000, 'x')));
  EXPECT_NE(Ask("snmpget", printer, used).find("INTEGER: 5"), std::string::npos);
}

TEST_F(SnmpAgentTest, WalksOfALargeFontTableAgree) {
  PrinterConfig config = Config("127.0.0.32");
  config.postScriptFonts = 150;
  config.pclFonts = 150;
  size_t printer = Start(config);
  // The table ends the view, which each tool reports in its own words on
  // a last line of its own.
  auto rows = [](std::string walk) { return walk.substr(0, walk.rfind('\n', walk.size() - 2) + 1); };
  std::string walk = rows(Ask("snmpwalk", printer, kFontEntry));
  std::string bulk = rows(Ask("snmpbulkwalk", printer, kFontEntry));
  std::string v1 = rows(Ask("snmpwalk", printer, kFontEntry, "vorpal", "1"));
  EXPECT_EQ(walk, bulk);
  EXPECT_EQ(walk, v1);
  EXPECT_EQ(std::count(walk.begin(), walk.end(), '\n'), 300 * 7);
  EXPECT_NE(walk.find(kFontEntry + ".2.1 = STRING: \"Courier\""), std::string::npos);
  EXPECT_NE(walk.find(kFontEntry + ".3.151 = INTEGER: 0"), std::string::npos);  // first PCL font's ID
  EXPECT_NE(walk.find(kFontEntry + ".3.1 = INTEGER: -2"), std::string::npos);
}

TEST_F(SnmpAgentTest, ASetStartsADeletionThatAWalkSeesDone) {
  PrinterConfig config = Config("127.0.0.33");
  config.deletionMs = 300;
  size_t printer = Start(config);
  simulator_.RunJob(printer, PjlDownload('0', "Sans", PclSoftFont("Sans", 21)));
  const int32_t index = simulator_.Fonts(printer).back().index;
  const std::string row = "." + std::to_string(index);

  // The read community may not write; a permanent font cannot be deleted;
  // an absent row is not created.
  std::string readOnly = Ask("snmpset", printer, kFontEntry + ".8" + row + " i 2");
  EXPECT_NE(readOnly.find("noAccess"), std::string::npos) << readOnly;
  std::string permanent = Ask("snmpset", printer, kFontEntry + ".8.1 i 2", "quillet");
  EXPECT_NE(permanent.find("inconsistentValue"), std::string::npos) << permanent;
  std::string absent = Ask("snmpset", printer, kFontEntry + ".8.999 i 2", "quillet");
  EXPECT_NE(absent.find("noCreation"), std::string::npos) << absent;
  std::string readOnlyColumn = Ask("snmpset", printer, kFontEntry + ".2" + row + " s x", "quillet");
  EXPECT_NE(readOnlyColumn.find("notWritable"), std::string::npos) << readOnlyColumn;

  std::string set = Ask("snmpset", printer, kFontEntry + ".8" + row + " i 2", "quillet");
  EXPECT_NE(set.find("INTEGER: 2"), std::string::npos) << set;
  EXPECT_NE(Ask("snmpget", printer, kFontEntry + ".7" + row).find("INTEGER: 2"), std::string::npos);

  std::string walk;
  for (int i = 0; i < 50; ++i) {
    walk = Ask("snmpwalk", printer, kFontEntry + ".2");
    if (walk.find(kFontEntry + ".2" + row + " ") == std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(walk.find("\"Sans\""), std::string::npos) << walk;
  EXPECT_NE(Ask("snmpget", printer, kFontEntry + ".7" + row).find("No Such Instance"), std::string::npos);
  EXPECT_FALSE(simulator_.ReadFile(printer, Volume::kDisk, "pcl/fonts/Sans"));
  EXPECT_EQ(simulator_.UsedBytes(printer, Volume::kDisk), 0u);
}

TEST_F(SnmpAgentTest, FaultsSilenceDelayAndHangDeletions) {
  PrinterConfig config = Config("127.0.0.34");
  config.deletionMs = 0;
  size_t printer = Start(config);
  const std::string sysName = ".1.3.6.1.2.1.1.5.0";

  // An unknown community is dropped, as agents do.
  std::string wrong = RunCommand("MIBS= snmpget -v2c -c nobody -t 0.3 -r 0 " + SnmpTarget(simulator_, printer) +
                                 " " + sysName + " 2>&1").output;
  EXPECT_NE(wrong.find("Timeout"), std::string::npos) << wrong;

  Faults faults;
  faults.snmpSilent = true;
  simulator_.SetFaults(printer, faults);
  std::string silent = RunCommand("MIBS= snmpget -v2c -c vorpal -t 0.3 -r 0 " +
                                  SnmpTarget(simulator_, printer) + " " + sysName + " 2>&1").output;
  EXPECT_NE(silent.find("Timeout"), std::string::npos) << silent;

  faults = {};
  faults.snmpDelayMs = 400;
  simulator_.SetFaults(printer, faults);
  auto start = std::chrono::steady_clock::now();
  EXPECT_NE(Ask("snmpget", printer, sysName).find("Front desk"), std::string::npos);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));

  faults = {};
  faults.deletionsHang = true;
  simulator_.SetFaults(printer, faults);
  simulator_.RunJob(printer, PjlDownload('0', "Stuck", PclSoftFont("Stuck", 5)));
  const std::string row = "." + std::to_string(simulator_.Fonts(printer).back().index);
  Ask("snmpset", printer, kFontEntry + ".8" + row + " i 2", "quillet");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_NE(Ask("snmpget", printer, kFontEntry + ".7" + row).find("INTEGER: 2"), std::string::npos);
  simulator_.SetFaults(printer, Faults{});
  EXPECT_NE(Ask("snmpget", printer, kFontEntry + ".7" + row).find("No Such Instance"), std::string::npos);
}

TEST_F(SnmpAgentTest, MalformedDatagramsAreDroppedAndTheAgentGoesOn) {
  size_t printer = Start(Config("127.0.0.35"));
  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(simulator_.SnmpPort(printer));
  inet_pton(AF_INET, "127.0.0.35", &to.sin_addr);
  timeval wait{0, 200000};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  // A valid GET of sysName with "vorpal", then the same cut short, with a
  // length past the end, with an indefinite length, and as a v3 message.
  const std::string good("\x30\x29\x02\x01\x01\x04\x06vorpal\xa0\x1c\x02\x04\x12\x34\x56\x78\x02\x01\x00\x02\x01\x00"
                         "\x30\x0e\x30\x0c\x06\x08\x2b\x06\x01\x02\x01\x01\x05\x00\x05\x00", 43);
  std::string longer = good;
  longer[1] = 0x7f;
  std::string indefinite = good;
  indefinite[1] = '\x80';
  std::string v3 = good;
  v3[4] = 3;
  for (const std::string& bad : {good.substr(0, 30), longer, indefinite, v3, std::string("\x30\x84\xff\xff\xff\xff", 6)}) {
    sendto(fd, bad.data(), bad.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    char answer[1500];
    EXPECT_LT(recv(fd, answer, sizeof answer, 0), 0);
  }
  sendto(fd, good.data(), good.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  char answer[1500];
  EXPECT_GT(recv(fd, answer, sizeof answer, 0), 0);
  close(fd);
  EXPECT_NE(Ask("snmpget", printer, ".1.3.6.1.2.1.1.5.0").find("Front desk"), std::string::npos);
}

TEST_F(SnmpAgentTest, TheMibPassesSmilintAndNetSnmpNamesTheFontTable) {
  size_t printer = Start(Config("127.0.0.36"));
  const std::string mibs = std::string(std::getenv("GLY_SOURCE_DIR")) + "/mibs";
  auto lint = RunCommand("SMIPATH=" + mibs + " smilint -l 3 " + mibs + "/GLY-FONT-MIB.txt 2>&1");
  EXPECT_EQ(lint.exitCode, 0);
  EXPECT_EQ(lint.output, "");
  std::string named = RunCommand("snmpwalk -v2c -c vorpal -m +ALL -M +" + mibs + " " +
                                 SnmpTarget(simulator_, printer) + " GLY-FONT-MIB::glyFontTable 2>/dev/null")
                          .output;
  EXPECT_NE(named.find("GLY-FONT-MIB::glyFontName.1 = STRING: Courier"), std::string::npos) << named;
  EXPECT_NE(named.find("GLY-FONT-MIB::glyFontType.1 = INTEGER: postScript(6)"), std::string::npos) << named;
  EXPECT_NE(named.find("GLY-FONT-MIB::glyFontPersistence.1 = INTEGER: permanent(5)"), std::string::npos);
  EXPECT_NE(named.find("GLY-FONT-MIB::glyFontLocation.1 = INTEGER: rom(3)"), std::string::npos);
}

}  // namespace
