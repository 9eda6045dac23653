#include <gtest/gtest.h>

#include "tessel/qrtl.h"

namespace {

TEST(RuntimeStatus, FirstAndLastRowsAndSuccess) {
  EXPECT_STREQ(QRTLErrToString(-616, 1), "QRTLERR_UNTRUSTED_PROFILE");
  EXPECT_STREQ(QRTLErrToString(-616, 2),
               "Profile store file belongs to another user, or is another user's link; it is not used.");
  EXPECT_STREQ(QRTLErrToString(-613, 1), "QRTLERR_BAD_TYPE");
  EXPECT_STREQ(QRTLErrToString(-613, 2), "Value in profile was the wrong type.");
  EXPECT_STREQ(QRTLErrToString(604, 1), "QRTLWARN_CANCELLED");
  EXPECT_STREQ(QRTLErrToString(-601, 2), "Unable to allocate memory.");
  EXPECT_STREQ(QRTLErrToString(0, 1), "QRTL_SUCCESS");
  EXPECT_STREQ(QRTLErrToString(0, 2), "Operation completed successfully.");
  EXPECT_EQ(QRTLERR_EVENT_RECURSION, -608);
  EXPECT_EQ(QRTLWARN_LOG_FILTERED, 602);
}

TEST(RuntimeStatus, CodesJustOutsideTheRangesAreUnknown) {
  for (int kind : {1, 2}) {
    EXPECT_STREQ(QRTLErrToString(-600, kind), "Unknown error");
    EXPECT_STREQ(QRTLErrToString(-617, kind), "Unknown error");
    EXPECT_STREQ(QRTLErrToString(600, kind), "Unknown warning");
    EXPECT_STREQ(QRTLErrToString(605, kind), "Unknown warning");
    EXPECT_STREQ(QRTLErrToString(INT32_MIN, kind), "Unknown error");
  }
}

TEST(RuntimeStatus, OtherKindsGiveEmptyText) {
  EXPECT_STREQ(QRTLErrToString(604, 3), "");
  EXPECT_STREQ(QRTLErrToString(-601, 0), "");
  EXPECT_STREQ(QRTLErrToString(-9999, -1), "");
}

}  // namespace
