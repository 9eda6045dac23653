// Runs the transport frame's and the runtime services' start before each
// test and their end after it, on a registry emptied of the product
// family's keys, and checks that the test left no context or transport.
#pragma once

#include <gtest/gtest.h>

#include "frame.h"
#include "platform/thread.h"
#include "runtime.h"
#include "temp_system.h"
#include "tessel/qtl.h"

class TransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tessel_test::ClearFamilyKeys();
    ASSERT_TRUE(tessel::qtl::StartTransportFrame());
    ASSERT_TRUE(tessel::qrtl::StartRuntimeServices());
  }
  void TearDown() override {
    EXPECT_EQ(QTLValidateContextCleanup(), 1);
    EXPECT_EQ(QTLGetLoadedTransports(), 0u);
    tessel::qtl::StopTransportFrame();
    tessel::qrtl::StopRuntimeServices();
    tessel_test::ClearFamilyKeys();
  }
  static void SetTransportSetting(const char* section, const char* entry, int32_t value) {
    ASSERT_EQ(QRTLWriteProfileInt(section, entry, value, 2), QRTL_SUCCESS);
  }
};

// Dispatches the thread's messages until `done` (asked once a round) holds
// or about two seconds pass.
template <typename Done>
bool PumpUntil(Done done) {
  for (int round = 0; round < 400; ++round) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    if (done()) return true;
    Sleep(5);
  }
  return false;
}
