// Runs the runtime services' start before each test and their end after it,
// on a registry emptied of the product family's keys.
#pragma once

#include <gtest/gtest.h>

#include "runtime.h"
#include "temp_system.h"

class RuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tessel_test::ClearFamilyKeys();
    ASSERT_TRUE(tessel::qrtl::StartRuntimeServices());
  }
  void TearDown() override {
    tessel::qrtl::StopRuntimeServices();
    tessel_test::ClearFamilyKeys();
  }
  // Settings are read at start: a test that changes them starts again.
  void Restart() {
    tessel::qrtl::StopRuntimeServices();
    ASSERT_TRUE(tessel::qrtl::StartRuntimeServices());
  }
};
