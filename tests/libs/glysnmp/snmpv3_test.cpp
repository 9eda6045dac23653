// SNMPv3 against net-snmp's snmpd: its users made in a private
// configuration, the font table proxied from a virtual printer behind it,
// so that every answer the library decrypts came through a real USM agent.
#include <gtest/gtest.h>

#include <cstring>

#include "glysnmp_test_support.h"
#include "printer_sim.h"

namespace {

constexpr char kAgent[] = "127.66.3.10";
constexpr char kPrinter[] = "127.66.3.200";
constexpr char kAuthPass[] = "auth-pass-1";
constexpr char kPrivPass[] = "priv-pass-1";

struct Protocol {
  int32_t value;
  const char* name;  // as snmpd's createUser spells it
};
constexpr Protocol kAuths[] = {{kSnmpAuthSha1, "SHA-1"},     {kSnmpAuthSha224, "SHA-224"}, {kSnmpAuthSha256, "SHA-256"},
                               {kSnmpAuthSha384, "SHA-384"}, {kSnmpAuthSha512, "SHA-512"}, {kSnmpAuthMd5, "MD5"}};
constexpr Protocol kPrivs[] = {{kSnmpPrivAes128, "AES"},       {kSnmpPrivAes192, "AES-192"},
                               {kSnmpPrivAes256, "AES-256"},   {kSnmpPrivAes192C, "AES-192-C"},
                               {kSnmpPrivAes256C, "AES-256-C"}, {kSnmpPrivDes, "DES"}};

std::string UserOf(const Protocol& auth, const Protocol& priv) { return std::string("u-") + auth.name + "-" + priv.name; }

SnmpSecurity V3(const std::string& user, int32_t level, int32_t auth = kSnmpAuthSha1, int32_t priv = kSnmpPrivAes128,
                const char* authPass = kAuthPass) {
  SnmpSecurity security{};
  security.version = kSnmpVersion3;
  security.level = level;
  security.authProtocol = auth;
  security.privProtocol = priv;
  snprintf(security.user, sizeof security.user, "%s", user.c_str());
  snprintf(security.authPassphrase, sizeof security.authPassphrase, "%s", authPass);
  snprintf(security.privPassphrase, sizeof security.privPassphrase, "%s", kPrivPass);
  return security;
}

std::vector<std::string> AgentConfig(uint16_t printerPort) {
  std::vector<std::string> lines;
  for (const Protocol& auth : kAuths) {
    for (const Protocol& priv : kPrivs) {
      lines.push_back("createUser " + UserOf(auth, priv) + " " + auth.name + " \"" + kAuthPass + "\" " + priv.name +
                      " \"" + kPrivPass + "\"");
      lines.push_back("rouser " + UserOf(auth, priv) + " authpriv");
    }
  }
  lines.push_back("createUser plain");
  lines.push_back("rouser plain noauth");
  // The printer's own system group, device table and font table.
  for (const char* tree : {".1.3.6.1.2.1.25", ".1.3.6.1.4.1.32473"}) {
    lines.push_back("proxy -v 2c -c vorpal udp:" + std::string(kPrinter) + ":" + std::to_string(printerPort) + " " + tree);
  }
  return lines;
}

class SnmpV3 : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    printer_sim::PrinterConfig config;
    config.address = kPrinter;
    config.postScriptFonts = 5;
    config.pclFonts = 3;
    simulator_ = new printer_sim::Simulator;
    ASSERT_TRUE(simulator_->AddPrinter(config));
    simulator_->Start();
    folder_ = new TempDir;
    port_ = FreeUdpPort({kAgent});
    agent_ = new SnmpdPeer(folder_->path(), kAgent, port_, AgentConfig(simulator_->SnmpPort(0)));
  }
  static void TearDownTestSuite() {
    delete agent_;
    delete folder_;
    delete simulator_;
  }
  void SetUp() override {
    ASSERT_TRUE(agent_->ready());
    settings_ = std::make_unique<AgentTest>(port_);
  }
  void TearDown() override { SnmpSetPrinterSecurity(AddressOf(kAgent), nullptr); }

  // The font list read through the agent; the record's communities are
  // wrong on purpose, so only v3 reaches the printer.
  static int32_t ReadFonts(FontList* fonts) {
    PrinterRecord record = RecordFor(kAgent, "wrong", "wrong");
    return SnmpGetFontList(&record, fonts);
  }

  static int32_t ReadFontsAs(const SnmpSecurity& security) {
    EXPECT_EQ(SnmpSetPrinterSecurity(AddressOf(kAgent), &security), kSnmpOk);
    FontList fonts{};
    int32_t result = ReadFonts(&fonts);
    SnmpFreeFontList(&fonts);
    return result;
  }

  static printer_sim::Simulator* simulator_;
  static TempDir* folder_;
  static SnmpdPeer* agent_;
  static uint16_t port_;
  std::unique_ptr<AgentTest> settings_;
};

printer_sim::Simulator* SnmpV3::simulator_ = nullptr;
TempDir* SnmpV3::folder_ = nullptr;
SnmpdPeer* SnmpV3::agent_ = nullptr;
uint16_t SnmpV3::port_ = 0;

class EveryProtocolPair : public SnmpV3, public ::testing::WithParamInterface<std::pair<Protocol, Protocol>> {};

TEST_P(EveryProtocolPair, ReadsTheWholeFontTableWithAuthenticationAndPrivacy) {
  const auto& [auth, priv] = GetParam();
  SnmpSecurity security = V3(UserOf(auth, priv), kSnmpAuthPriv, auth.value, priv.value);
  ASSERT_EQ(SnmpSetPrinterSecurity(AddressOf(kAgent), &security), kSnmpOk);
  FontList fonts{};
  ASSERT_EQ(ReadFonts(&fonts), kSnmpOk);
  std::vector<printer_sim::Font> expected = simulator_->Fonts(0);
  ASSERT_EQ(fonts.count, static_cast<int32_t>(expected.size()));
  EXPECT_STREQ(fonts.entries[fonts.count - 1].name, expected.back().name.c_str());
  SnmpFreeFontList(&fonts);
}

std::vector<std::pair<Protocol, Protocol>> AllPairs() {
  std::vector<std::pair<Protocol, Protocol>> pairs;
  for (const Protocol& auth : kAuths) {
    for (const Protocol& priv : kPrivs) pairs.push_back({auth, priv});
  }
  return pairs;
}

INSTANTIATE_TEST_SUITE_P(Usm, EveryProtocolPair, ::testing::ValuesIn(AllPairs()),
                         [](const auto& info) {
                           std::string name = std::string(info.param.first.name) + "_" + info.param.second.name;
                           for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

TEST_F(SnmpV3, RefusedCredentialsEachGiveTheirOwnResult) {
  const std::string user = UserOf(kAuths[2], kPrivs[0]);
  // A read that works first: the keys of that session must not stay behind
  // for the next one.
  EXPECT_EQ(ReadFontsAs(V3(user, kSnmpAuthPriv, kSnmpAuthSha256)), kSnmpOk);
  EXPECT_EQ(ReadFontsAs(V3(user, kSnmpAuthPriv, kSnmpAuthSha256, kSnmpPrivAes128, "wrong-passphrase")),
            kSnmpAuthenticationFailed);
  EXPECT_EQ(ReadFontsAs(V3("nobody", kSnmpAuthPriv)), kSnmpUnknownUser);
  EXPECT_EQ(ReadFontsAs(V3("plain", kSnmpAuthPriv)), kSnmpLevelNotAllowed);
  EXPECT_EQ(ReadFontsAs(V3("plain", kSnmpNoAuthNoPriv)), kSnmpOk);
  EXPECT_STREQ(SnmpResultText(kSnmpAuthenticationFailed), "authentication failed");
  EXPECT_STRNE(SnmpResultText(kSnmpUnknownUser), SnmpResultText(kSnmpNoAnswer));

  SnmpSecurity shortPass = V3(user, kSnmpAuthNoPriv, kSnmpAuthSha1, kSnmpPrivAes128, "seven77");
  EXPECT_EQ(SnmpSetPrinterSecurity(AddressOf(kAgent), &shortPass), kSnmpPassphraseTooShort);
  SnmpSecurity noProtocol = V3(user, kSnmpAuthNoPriv, 0);
  EXPECT_EQ(SnmpSetPrinterSecurity(AddressOf(kAgent), &noProtocol), kSnmpSecurityInvalid);
}

TEST_F(SnmpV3, DiscoveryWithCredentialsFindsTheAgentAndKeepsThemForIt) {
  SnmpContext context{};
  std::vector<DeviceInfo> found;
  SnmpInitContext(&context, [](const DeviceInfo* device, void* into) {
    static_cast<std::vector<DeviceInfo>*>(into)->push_back(*device);
  }, &found, 0);
  SnmpSecurity security = V3(UserOf(kAuths[4], kPrivs[2]), kSnmpAuthPriv, kSnmpAuthSha512, kSnmpPrivAes256);
  ASSERT_EQ(SnmpSetDiscoverySecurity(&security), kSnmpOk);
  EXPECT_EQ(SnmpDiscoverPrinters(&context, SnmpSubnetTarget(AddressOf("127.66.3.8"), 0xfffffff8), 0, 0), 0);
  SnmpSetDiscoverySecurity(nullptr);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].address, AddressOf(kAgent));
  FontList fonts{};
  EXPECT_EQ(ReadFonts(&fonts), kSnmpOk);
  EXPECT_EQ(fonts.count, 8);
  SnmpFreeFontList(&fonts);
}

}  // namespace
