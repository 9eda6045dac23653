#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "loopback_peer.h"
#include "platform/error.h"
#include "platform/icmp.h"
#include "platform/module.h"
#include "thread_runner.h"

namespace {

constexpr char kRequest[] = " !\"#$%&";  // 7 bytes, as the transport layer sends
constexpr WORD kRequestSize = 7;

IPAddr loopback(uint8_t last) {
  const uint8_t bytes[4] = {127, 0, 0, last};
  IPAddr address;
  std::memcpy(&address, bytes, 4);  // network byte order
  return address;
}

class Icmp : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryA("ICMP.DLL");
    ASSERT_NE(module_, nullptr);
    create = reinterpret_cast<LPFN_ICMPCREATEFILE>(GetProcAddress(module_, "IcmpCreateFile"));
    close = reinterpret_cast<LPFN_ICMPCLOSEHANDLE>(GetProcAddress(module_, "IcmpCloseHandle"));
    send = reinterpret_cast<LPFN_ICMPSENDECHO>(GetProcAddress(module_, "IcmpSendEcho"));
    ASSERT_TRUE(create && close && send);
  }
  void TearDown() override { FreeLibrary(module_); }

  struct Echo {
    DWORD count;
    DWORD lastError;
    ICMP_ECHO_REPLY reply;
    std::string data;
    std::chrono::milliseconds took;
  };

  Echo echo(IPAddr target, DWORD timeout) {
    Echo result{};
    HANDLE handle = create();
    EXPECT_NE(handle, INVALID_HANDLE_VALUE);
    std::vector<unsigned char> buffer(sizeof(ICMP_ECHO_REPLY) + kRequestSize + 8);
    const auto start = std::chrono::steady_clock::now();
    SetLastError(0);
    result.count = send(handle, target, const_cast<char*>(kRequest), kRequestSize, nullptr,
                        buffer.data(), static_cast<DWORD>(buffer.size()), timeout);
    result.lastError = GetLastError();
    result.took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::memcpy(&result.reply, buffer.data(), sizeof(result.reply));
    if (result.reply.DataSize > 0) {
      EXPECT_EQ(result.reply.Data, buffer.data() + sizeof(ICMP_ECHO_REPLY));
      result.data.assign(reinterpret_cast<char*>(buffer.data()) + sizeof(ICMP_ECHO_REPLY),
                         result.reply.DataSize);
    }
    EXPECT_TRUE(close(handle));
    return result;
  }

  // Runs `body` on a thread of its own inside a private network namespace.
  void in_private_network(bool ignoreEcho, bool allowDatagramPing,
                          const std::function<void()>& body) {
    std::string reason;
    bool entered = false;
    ThreadRunner runner([&] {
      entered = enter_private_network(ignoreEcho, allowDatagramPing, reason);
      if (entered) body();
    });
    runner.join();
    if (!entered) GTEST_SKIP() << reason;
  }

  LPFN_ICMPCREATEFILE create;
  LPFN_ICMPCLOSEHANDLE close;
  LPFN_ICMPSENDECHO send;

 private:
  HMODULE module_ = nullptr;
};

TEST_F(Icmp, EveryLoopbackAddressAnswers) {
  for (uint8_t last : {1, 77}) {
    Echo result = echo(loopback(last), 2000);
    EXPECT_EQ(result.count, 1u);
    EXPECT_EQ(result.reply.Status, IP_SUCCESS);
    EXPECT_EQ(result.reply.Address, loopback(last));
    EXPECT_EQ(result.data, std::string(kRequest, kRequestSize));
    EXPECT_GT(result.reply.Options.Ttl, 0);
  }
}

TEST_F(Icmp, BadHandlesAndShortBuffersFail) {
  HANDLE handle = create();
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  unsigned char small[sizeof(ICMP_ECHO_REPLY) - 4] = {};
  EXPECT_EQ(send(handle, loopback(1), const_cast<char*>(kRequest), kRequestSize, nullptr, small,
                 sizeof(small), 1000),
            0u);
  EXPECT_EQ(GetLastError(), IP_BUF_TOO_SMALL);
  // Room for the record but not the data: the data is cut, the reply stands.
  std::vector<unsigned char> exact(sizeof(ICMP_ECHO_REPLY) + 3);
  EXPECT_EQ(send(handle, loopback(1), const_cast<char*>(kRequest), kRequestSize, nullptr,
                 exact.data(), static_cast<DWORD>(exact.size()), 2000),
            1u);
  ICMP_ECHO_REPLY reply;
  std::memcpy(&reply, exact.data(), sizeof(reply));
  EXPECT_EQ(reply.Status, IP_SUCCESS);
  EXPECT_EQ(reply.DataSize, 3);
  EXPECT_TRUE(close(handle));
  EXPECT_FALSE(close(handle));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(send(handle, loopback(1), nullptr, 0, nullptr, exact.data(),
                 static_cast<DWORD>(exact.size()), 1000),
            0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

// In a namespace of its own the kernel can be told to answer no echo:
// there, with either kind of socket, the echo times out.
TEST_F(Icmp, UnansweredEchoTimesOut) {
  for (bool datagram : {false, true}) {
    SCOPED_TRACE(datagram ? "datagram ICMP socket" : "raw ICMP socket");
    in_private_network(true, datagram, [&] {
      EXPECT_EQ(datagram_ping_allowed(), datagram);
      Echo result = echo(loopback(1), 300);
      EXPECT_EQ(result.count, 0u);
      EXPECT_EQ(result.lastError, IP_REQ_TIMED_OUT);
      EXPECT_EQ(result.reply.Status, IP_REQ_TIMED_OUT);
      EXPECT_GE(result.took.count(), 290);
      EXPECT_LT(result.took.count(), 3000);
    });
  }
}

TEST_F(Icmp, DatagramSocketsAreUsedWhereAllowed) {
  in_private_network(false, true, [&] {
    ASSERT_TRUE(datagram_ping_allowed());
    Echo result = echo(loopback(42), 2000);
    EXPECT_EQ(result.count, 1u);
    EXPECT_EQ(result.reply.Status, IP_SUCCESS);
    EXPECT_EQ(result.reply.Address, loopback(42));
    EXPECT_EQ(result.data, std::string(kRequest, kRequestSize));
  });
}

}  // namespace
