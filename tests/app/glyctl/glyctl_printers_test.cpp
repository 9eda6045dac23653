// discover, add and fonts against virtual printers, with every output
// format read back by Python's own parsers.
#include "glyctl/exit_codes.h"
#include "glyctl/output_table.h"
#include "glyctl_fixture.h"

#include <filesystem>

namespace {

using printer_sim::PrinterConfig;

PrinterConfig Named(const std::string& name) {
  PrinterConfig config;
  config.name = name;
  return config;
}

TEST_F(GlyctlTest, DiscoverListsEveryPrinterOfTheSubnetInEachFormat) {
  StartPrinters("127.88.1", {Named("LAB1"), Named("LAB2"), Named("LAB3")});
  const GlyctlResult json = Run({"discover", "127.88.1.0/24", "--format", "json"});
  EXPECT_EQ(json.status, kExitOk) << json.err;
  const std::string parsed = ParsedBy("json", json.out);
  for (const char* line : {"127.88.1.10|LAB1|", "127.88.1.11|LAB2|", "127.88.1.12|LAB3|"})
    EXPECT_NE(parsed.find(line), std::string::npos) << parsed;
  // The same printer shape as a font list's, storage as an array.
  EXPECT_EQ(SchemaProblem(json.out), "") << json.out;

  EXPECT_EQ(Run({"discover", "127.88.1.0/24", "--format=csv", "--no-header"}).out.rfind("127.88.1.10,LAB1,", 0), 0u);
  const GlyctlResult csv = Run({"discover", "127.88.1.0/24", "--format=csv"});
  EXPECT_EQ(csv.status, kExitOk) << csv.err;
  EXPECT_EQ(ParsedBy("csv", csv.out).substr(0, 35), "Address|Name|Model|Storage|Listed a");
  EXPECT_NE(ParsedBy("csv", csv.out).find("127.88.1.12|LAB3|"), std::string::npos);

  EXPECT_EQ(Run({"discover", "127.88.0.0/8"}).status, kExitUsage);
  EXPECT_EQ(Run({"discover", "127.88.1.0"}).status, kExitUsage);
}

TEST_F(GlyctlTest, AddAnswersForAPrinterAndFailsForAnUnknownAddress) {
  StartPrinters("127.88.2", {Named("LAB1")});
  const GlyctlResult found = Run({"add", "127.88.2.10"});
  EXPECT_EQ(found.status, kExitOk) << found.err;
  EXPECT_NE(found.out.find("127.88.2.10  LAB1"), std::string::npos) << found.out;
  EXPECT_NE(found.out.find("disk 1.0 GiB free of 1.0 GiB; flash"), std::string::npos) << found.out;
  EXPECT_NE(found.out.find("disk+flash"), std::string::npos) << "the printer's report decides: " << found.out;

  const GlyctlResult unknown = Run({"add", "127.88.2.99"});
  EXPECT_EQ(unknown.status, kExitNoPrinter);
  EXPECT_EQ(unknown.out, "");
  EXPECT_EQ(unknown.err, "glyctl: No printer answers at 127.88.2.99.\n");
  EXPECT_EQ(Run({"add", "127.88.2"}).status, kExitUsage);
}

TEST_F(GlyctlTest, FontsUnderAViewParseAsJsonAndCsvWhateverBytesTheNamesHold) {
  PrinterConfig config;
  config.postScriptFonts = 2;
  config.pclFonts = 2;
  StartPrinters("127.88.3", {config});
  // A name with a Latin-1 byte, a comma and a quote.
  PutFont(0, "Caf\xe9, \"Bold\"");
  PutFont(0, "Gothic");

  const GlyctlResult all = Run({"fonts", "127.88.3.10", "--format", "csv"});
  EXPECT_EQ(all.status, kExitOk) << all.err;
  EXPECT_EQ(ParsedBy("csv", all.out),
            "Font Name|Resource Type|Font /Macro ID|Persistance|Location|Index\n"
            "Courier|Postscript||Permanent|In ROM|1\n"
            "Courier-Bold|Postscript||Permanent|In ROM|2\n"
            "Courier|PCL|0|Permanent|In ROM|3\n"
            "CG Times|PCL|1|Permanent|In ROM|4\n"
            "Caf\xc3\xa9, \"Bold\"|PCL|40|Downloaded|Hard Disk|5\n"
            "Gothic|PCL|40|Downloaded|Hard Disk|6\n");

  const GlyctlResult downloaded = Run({"fonts", "127.88.3.10", "--view", "8", "--format", "json"});
  EXPECT_EQ(downloaded.status, kExitOk) << downloaded.err;
  EXPECT_EQ(ParsedBy("json", downloaded.out),
            "Caf\xc3\xa9, \"Bold\"|PCL|40|Downloaded|Hard Disk|5\nGothic|PCL|40|Downloaded|Hard Disk|6\n");
  // Beside the fonts, the printer as its details tell it, typed.
  EXPECT_EQ(SchemaProblem(downloaded.out), "") << downloaded.out;
  for (const char* member : {"\"system_id\": \"1.3.6.1.4.1.32473.1.1.2\"", "\"device_model\": \"Virtual printer\"",
                             "\"font_source\": \"font MIB\"", "\"capacity_bytes\": 1073741824", "\"usable\": true"})
    EXPECT_NE(downloaded.out.find(member), std::string::npos) << member << " in " << downloaded.out;

  EXPECT_EQ(Run({"fonts", "127.88.3.10", "--view", "9"}).status, kExitUsage);
  EXPECT_EQ(Run({"fonts", "127.88.3.10", "--format", "xml"}).status, kExitUsage);
  EXPECT_EQ(Run({"fonts", "127.88.3.99"}).status, kExitNoPrinter);
}

TEST_F(GlyctlTest, ReadCommunityByOptionOrFromAPrivateFile) {
  PrinterConfig config;
  config.readCommunity = "lantern";
  StartPrinters("127.88.4", {config});
  EXPECT_EQ(Run({"fonts", "127.88.4.10"}).status, kExitNoPrinter);
  EXPECT_EQ(Run({"fonts", "127.88.4.10", "--community", "lantern"}).status, kExitOk);

  const std::string file = WriteCommunityFile("# printers of floor 2\nread = lantern\n", 0600);
  EXPECT_EQ(Run({"fonts", "127.88.4.10", "--community-file", file}).status, kExitOk);
  for (const int mode : {0640, 0604, 0620}) {
    chmod(file.c_str(), static_cast<mode_t>(mode));
    const GlyctlResult refused = Run({"fonts", "127.88.4.10", "--community-file", file});
    EXPECT_EQ(refused.status, kExitCommunityFile) << mode;
    EXPECT_NE(refused.err.find("chmod 600"), std::string::npos) << refused.err;
  }
  EXPECT_EQ(Run({"fonts", "127.88.4.10", "--community-file", scratch.path()}).status, kExitCommunityFile);
  const std::string malformed = WriteCommunityFile("lantern\n", 0600);
  EXPECT_EQ(Run({"fonts", "127.88.4.10", "--community-file", malformed}).status, kExitCommunityFile);
}

TEST_F(GlyctlTest, AFontListAtTheReadLimitSaysItMayLackFonts) {
  printer_sim::PrinterConfig config;
  config.pclFonts = 20000;
  StartPrinters("127.88.4", {config});
  // The printer builds its 20 000 rows when first asked: under the
  // sanitizers that outlasts the fixture's short time-out.
  EnvOverride patient("GLY_SNMP_TIMEOUT_MS", "5000");
  const GlyctlResult listed = Run({"fonts", "127.88.4.10", "--format", "csv"});
  EXPECT_EQ(listed.status, kExitListCut) << listed.err;
  EXPECT_NE(listed.err.find("the list may lack fonts"), std::string::npos) << listed.err;
}

// Names come from printers: a bell, an escape sequence or a C1 control
// (CSI, OSC) in one reaches a terminal through no format.
TEST(GlyctlOutput, ControlBytesAreQuestionMarksInEveryFormat) {
  const OutputTable table{{{"Name", "name"}}, {{"Evil\x1B[2J\x07\x9B" "2J\x9D" "0;t\x7F" "Font"}}};
  for (OutputFormat format : {OutputFormat::kTable, OutputFormat::kCsv, OutputFormat::kJson}) {
    std::ostringstream out;
    WriteOutputTable(out, table, format);
    EXPECT_NE(out.str().find("Evil?[2J??2J?0;t?Font"), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find_first_of("\x1B\x07\x7F"), std::string::npos);
    EXPECT_EQ(out.str().find("\xC2\x9B"), std::string::npos);
    EXPECT_EQ(out.str().find("\\u"), std::string::npos);
  }
}

}  // namespace

namespace {

// snmpd at `address` with one v3 user, serving the virtual printer's
// device and font tables; the library is pointed at its port.
struct V3Agent {
  V3Agent(const std::string& folder, const std::string& address, uint16_t printerPort)
      : port(FreeUdpPort({address})),
        peer(folder, address, port,
             {"createUser admin SHA-256 \"auth-pass-2\" AES-256-C \"priv-pass-2\"", "rouser admin authpriv",
              "proxy -v 2c -c vorpal udp:127.88.40.10:" + std::to_string(printerPort) + " .1.3.6.1.2.1.25",
              "proxy -v 2c -c vorpal udp:127.88.40.10:" + std::to_string(printerPort) + " .1.3.6.1.4.1.32473"}) {}
  uint16_t port;
  SnmpdPeer peer;
};

}  // namespace

TEST_F(GlyctlTest, SnmpV3FromTheCommunityFileOrTheEnvironmentForDiscoveryAndFonts) {
  StartPrinters("127.88.40", {Named("LAB9")});
  std::filesystem::create_directories(scratch.file("snmpd"));
  V3Agent v3(scratch.file("snmpd"), "127.88.41.10", simulator.SnmpPort(0));
  ASSERT_TRUE(v3.peer.ready());
  agent.reset();
  agent = std::make_unique<AgentTest>(v3.port);

  const std::string file = WriteCommunityFile(
      "read=wrong\nv3-user=admin\nv3-auth-protocol=SHA-256\nv3-auth-passphrase=auth-pass-2\n"
      "v3-priv-protocol=AES-256-C\nv3-priv-passphrase=priv-pass-2\n",
      0600);
  const GlyctlResult found = Run({"discover", "127.88.41.8/29", "--community-file", file});
  EXPECT_EQ(found.status, kExitOk) << found.err;
  EXPECT_NE(found.out.find("127.88.41.10"), std::string::npos) << found.out;
  const GlyctlResult fonts = Run({"fonts", "127.88.41.10", "--community-file", file});
  EXPECT_EQ(fonts.status, kExitOk) << fonts.err;
  EXPECT_NE(fonts.out.find("Courier"), std::string::npos) << fonts.out;

  // The environment's settings, with the wrong passphrase: told as such.
  const EnvOverride user("GLY_V3_USER", "admin");
  const EnvOverride authProtocol("GLY_V3_AUTH_PROTOCOL", "SHA-256");
  const EnvOverride authPass("GLY_V3_AUTH_PASSPHRASE", "not-the-passphrase");
  const EnvOverride privProtocol("GLY_V3_PRIV_PROTOCOL", "AES-256-C");
  const EnvOverride privPass("GLY_V3_PRIV_PASSPHRASE", "priv-pass-2");
  const GlyctlResult refused = Run({"fonts", "127.88.41.10"});
  EXPECT_EQ(refused.status, kExitNoPrinter);
  EXPECT_NE(refused.err.find("authentication failed"), std::string::npos) << refused.err;
  const EnvOverride weak("GLY_V3_AUTH_PROTOCOL", "MD4");
  EXPECT_EQ(Run({"fonts", "127.88.41.10"}).status, kExitCommunityFile);
  // The library keeps settings for the process's life.
  SnmpSetPrinterSecurity(AddressOf("127.88.41.10"), nullptr);
}
