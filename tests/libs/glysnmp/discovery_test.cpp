// Discovery of a loopback /24 holding printers and other devices, with
// snmpd as the agents.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "glysnmp_test_support.h"

namespace {

struct Found {
  std::vector<DeviceInfo> devices;
};

void Collect(const DeviceInfo* device, void* context) { static_cast<Found*>(context)->devices.push_back(*device); }

std::vector<std::string> Printer(const std::string& name, const char* community = nullptr) {
  std::vector<std::string> lines = {"sysobjectid .1.3.6.1.4.1.32473.1.1.2", "sysname " + name, "sysdescr Quill printer",
                                    "override .1.3.6.1.2.1.43.5.1.1.1.1 counter 0"};
  if (community != nullptr) lines.push_back(std::string("rocommunity ") + community);
  return lines;
}

TEST(Discovery, FindsEveryPrinterOfTheSubnetOnceAndNothingElse) {
  TempDir scratch;
  const std::vector<std::string> printers = {"127.63.1.10", "127.63.1.20", "127.63.1.254"};
  const std::string host = "127.63.1.30";
  std::vector<std::string> all = printers;
  all.push_back(host);
  uint16_t port = FreeUdpPort(all);
  AgentTest settings(port);
  std::vector<std::unique_ptr<SnmpdPeer>> agents;
  for (size_t i = 0; i < all.size(); ++i) {
    std::string folder = scratch.file("agent" + std::to_string(i));
    std::filesystem::create_directories(folder);
    agents.push_back(std::make_unique<SnmpdPeer>(
        folder, all[i], port, i < printers.size() ? Printer("P" + std::to_string(i)) : std::vector<std::string>{"sysname host"}));
    ASSERT_TRUE(agents.back()->ready()) << all[i];
  }

  Found found;
  SnmpContext context{};
  SnmpInitContext(&context, Collect, &found, 0);
  DeviceInfo added{};
  ASSERT_EQ(SnmpAddPrinter(&context, AddressOf(printers[1]), &added), kSnmpAddAnswered);

  uint32_t target = SnmpSubnetTarget(AddressOf("127.63.1.77"), 0xffffff00);
  ASSERT_NE(target, 0u);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SnmpDiscoverPrinters(&context, target, 0, 0), 0);
  auto took = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(found.devices.size(), 2u) << "the printer added before is not reported again";
  EXPECT_EQ(found.devices[0].address, AddressOf(printers[0]));
  EXPECT_STREQ(found.devices[0].deviceName, "P0");
  EXPECT_STREQ(found.devices[0].systemId, "1.3.6.1.4.1.32473.1.1.2");
  EXPECT_EQ(found.devices[1].address, AddressOf(printers[2]));
  // Everything is asked at once: one time-out (300 ms) and the printers'
  // own checks, never one time-out per address.
  EXPECT_LT(took, std::chrono::seconds(3));

  found.devices.clear();
  EXPECT_EQ(SnmpDiscoverPrinters(&context, target, 0, 0), 0);
  EXPECT_TRUE(found.devices.empty());
  EXPECT_EQ(SnmpAddPrinter(&context, AddressOf(printers[0]), &added), kSnmpAddAlreadyListed);

  // A printer the program forgot (removed from its list) is asked again.
  EXPECT_EQ(SnmpForgetPrinter(&context, AddressOf(printers[0])), 0);
  EXPECT_EQ(SnmpAddPrinter(&context, AddressOf(printers[0]), &added), kSnmpAddAnswered);
  EXPECT_EQ(SnmpForgetPrinter(nullptr, 0), kSnmpBadArgument);
}

TEST(Discovery, APrinterWithAnotherCommunityIsFoundOnlyWithThatCommunity) {
  TempDir scratch;
  const std::string address = "127.63.2.5";
  uint16_t port = FreeUdpPort({address});
  AgentTest settings(port);
  SnmpdPeer agent(scratch.path(), address, port, Printer("SECRET", "jabber"));
  ASSERT_TRUE(agent.ready());
  Found found;
  SnmpContext context{};
  SnmpInitContext(&context, Collect, &found, 0);
  uint32_t target = SnmpSubnetTarget(AddressOf(address), 0xffffff00);
  {
    EnvOverride community("GLY_SNMP_COMMUNITY", "nobody-knows");
    SnmpDiscoverPrinters(&context, target, 0, 0);
    EXPECT_TRUE(found.devices.empty());
  }
  EnvOverride community("GLY_SNMP_COMMUNITY", "jabber");
  SnmpDiscoverPrinters(&context, target, 0, 0);
  ASSERT_EQ(found.devices.size(), 1u);
  EXPECT_STREQ(found.devices[0].deviceName, "SECRET");
}

TEST(Discovery, TargetsNameSubnetsOfAtMostASite) {
  SnmpContext context{};
  SnmpInitContext(&context, nullptr, nullptr, 0);
  EXPECT_NE(SnmpSubnetTarget(AddressOf("10.0.0.0"), 0xffff0000), 0u);
  EXPECT_EQ(SnmpSubnetTarget(AddressOf("10.0.0.0"), 0xfffe0000), 0u) << "a /15 is more than a site";
  EXPECT_EQ(SnmpSubnetTarget(AddressOf("10.0.0.0"), 0xffff00ff), 0u) << "not a mask";
  uint32_t target = SnmpSubnetTarget(AddressOf("10.0.0.9"), 0xfffffc00);
  EXPECT_NE(target, 0u);
  EXPECT_EQ(SnmpSubnetTarget(AddressOf("10.0.3.1"), 0xfffffc00), target) << "same /22";
  EXPECT_NE(SnmpDiscoverPrinters(&context, 0, 0, 0), 0);
  SnmpContext never{};
  EXPECT_NE(SnmpDiscoverPrinters(&never, target, 0, 0), 0);
  uint32_t address = 0;
  EXPECT_EQ(SnmpGetDefaultAddress(&address), 0);
  EXPECT_NE(address, 0u);
}

}  // namespace
