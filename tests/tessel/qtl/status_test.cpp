#include <gtest/gtest.h>

#include "tessel/qtl.h"

namespace {

TEST(TransportStatus, RowsKeepTheirTextsExactly) {
  EXPECT_STREQ(QTLErrToString(-339, 1), "QTLERR_BAD_CONTEXT");
  EXPECT_STREQ(QTLErrToString(-339, 2),
               "An invalid context has been specifed or a function has been called from the "
               "wrong context.");
  EXPECT_STREQ(QTLErrToString(-329, 2), "Unable to initailize netbios.");
  EXPECT_STREQ(QTLErrToString(-301, 1), "QTLERR_IPX_INIT");
  EXPECT_STREQ(QTLErrToString(305, 1), "QTLWARN_OOB");
  EXPECT_STREQ(QTLErrToString(0, 2), "Operation completed successfully.");
  EXPECT_STREQ(QTLErrToString(-314, 1), "QTLERR_ALREADY_BOUND");
  EXPECT_STREQ(QTLErrToString(-312, 1), "QTLERR_BIND_FAILED");
}

TEST(TransportStatus, NotBoundHasNoRowAndFallsBack) {
  EXPECT_EQ(QTLERR_NOT_BOUND, -313);
  EXPECT_STREQ(QTLErrToString(-313, 1), "Unknown error");
  EXPECT_STREQ(QTLErrToString(-313, 2), "Unknown error");
}

TEST(TransportStatus, UnknownCodesGoToTheRuntimeTable) {
  for (int code : {-613, -601, -340, -300, 300, 306, 601, 604, 605}) {
    for (int which : {1, 2}) {
      EXPECT_STREQ(QTLErrToString(code, which), QRTLErrToString(code, which)) << code;
    }
  }
  EXPECT_STREQ(QTLErrToString(-603, 1), "QRTLERR_ALREADY_LOGGING");
  EXPECT_STREQ(QTLErrToString(-340, 2), "Unknown error");
  EXPECT_STREQ(QTLErrToString(306, 2), "Unknown warning");
}

TEST(TransportStatus, OtherKindsGiveEmptyText) {
  EXPECT_STREQ(QTLErrToString(301, 3), "");
  EXPECT_STREQ(QTLErrToString(-9999, 0), "");
}

}  // namespace
