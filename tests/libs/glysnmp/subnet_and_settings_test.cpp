// Which addresses a subnet's discovery asks, and the settings read from the
// environment.
#include <gtest/gtest.h>

#include <algorithm>

#include "snmp_settings.h"
#include "subnet.h"
#include "temp_dir.h"

namespace {

using glysnmp::HostAddresses;
using glysnmp::MakeSubnet;

TEST(Subnet, HostAddressesLeaveOutTheNetworkAndBroadcastAddresses) {
  auto slash24 = MakeSubnet(0x0a000163, 0xffffff00);  // 10.0.1.99/24
  ASSERT_TRUE(slash24);
  std::vector<uint32_t> hosts = HostAddresses(*slash24);
  ASSERT_EQ(hosts.size(), 254u);
  EXPECT_EQ(hosts.front(), 0x0a000101u);
  EXPECT_EQ(hosts.back(), 0x0a0001feu);
  std::vector<uint32_t> site = HostAddresses(*MakeSubnet(0x0a00ffff, 0xffff0000));
  ASSERT_EQ(site.size(), 65534u);
  EXPECT_EQ(site.front(), 0x0a000001u);
  EXPECT_EQ(site.back(), 0x0a00fffeu) << "10.0.255.255 is the broadcast address";
  EXPECT_EQ(std::count(site.begin(), site.end(), 0x0a000100u), 1) << "10.0.1.0 is a host of a /16";
  EXPECT_EQ(HostAddresses(*MakeSubnet(0x0a000005, 0xfffffffc)), (std::vector<uint32_t>{0x0a000005, 0x0a000006}));
  // A /31 has no network or broadcast address; a /32 is one host.
  EXPECT_EQ(HostAddresses(*MakeSubnet(0x0a000005, 0xfffffffe)), (std::vector<uint32_t>{0x0a000004, 0x0a000005}));
  EXPECT_EQ(HostAddresses(*MakeSubnet(0x0a000005, 0xffffffff)), (std::vector<uint32_t>{0x0a000005}));
  EXPECT_FALSE(MakeSubnet(0x0a000000, 0xfffe0000)) << "a /15 is more than discovery asks";
  EXPECT_FALSE(MakeSubnet(0x0a000000, 0x00ffffff)) << "not a mask";
}

TEST(SnmpSettings, TheEnvironmentOverridesOnlyWithValidValues) {
  {
    EnvOverride port("GLY_SNMP_PORT", "16161");
    EnvOverride timeout("GLY_SNMP_TIMEOUT_MS", "250");
    EnvOverride retries("GLY_SNMP_RETRIES", "0");
    EnvOverride community("GLY_SNMP_COMMUNITY", "jabber");
    glysnmp::SnmpSettings settings = glysnmp::ReadSnmpSettings();
    EXPECT_EQ(settings.port, 16161);
    EXPECT_EQ(settings.timeoutMs, 250u);
    EXPECT_EQ(settings.retries, 0u);
    EXPECT_EQ(settings.newDeviceCommunity, "jabber");
  }
  EnvOverride port("GLY_SNMP_PORT", "70000");
  EnvOverride timeout("GLY_SNMP_TIMEOUT_MS", "-5");
  EnvOverride retries("GLY_SNMP_RETRIES", "2x");
  EnvOverride community("GLY_SNMP_COMMUNITY", std::string(64, 'c'));
  glysnmp::SnmpSettings settings = glysnmp::ReadSnmpSettings();
  EXPECT_EQ(settings.port, 161);
  EXPECT_EQ(settings.timeoutMs, 1000u);
  EXPECT_EQ(settings.retries, 2u);
  EXPECT_EQ(settings.newDeviceCommunity, "vorpal");
}

}  // namespace
