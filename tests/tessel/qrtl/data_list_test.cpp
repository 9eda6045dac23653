#include <gtest/gtest.h>

#include <cstring>

#include "tessel/qrtl.h"

namespace {

class DataList : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(QRTLDestroyDataList(&list_), 0); }
  QRTLDataNode* list_ = nullptr;
};

TEST_F(DataList, TextAndBuffersAreCopied) {
  char text[] = "original";
  unsigned char bytes[] = {1, 2, 3, 0, 5};
  int32_t status = -1;
  QRTLDataNode* textNode =
      QRTLAddData(&list_, QRTL_DATA_TEXT, reinterpret_cast<uintptr_t>(text), bytes, &status);
  ASSERT_NE(textNode, nullptr);
  EXPECT_EQ(status, 0);
  QRTLDataNode* bufferNode = QRTLAddData(&list_, QRTL_DATA_BUFFER, sizeof bytes, bytes, nullptr);
  ASSERT_NE(bufferNode, nullptr);
  std::strcpy(text, "changed");
  bytes[0] = 9;

  EXPECT_STREQ(reinterpret_cast<const char*>(textNode->value), "original");
  EXPECT_EQ(textNode->data, bytes);
  EXPECT_EQ(bufferNode->value, sizeof bytes);
  EXPECT_NE(bufferNode->data, bytes);
  EXPECT_EQ(static_cast<unsigned char*>(bufferNode->data)[0], 1);
  EXPECT_EQ(static_cast<unsigned char*>(bufferNode->data)[4], 5);
}

TEST_F(DataList, OtherTypesKeepPointerSizedValuesAndAppendInOrder) {
  int data = 0;
  const uintptr_t wide = ~uintptr_t{0} - 5;
  QRTLDataNode* first = QRTLAddData(&list_, 7, wide, &data, nullptr);
  QRTLDataNode* second = QRTLAddData(&list_, QRTL_DATA_BUFFER_ALT, 0, nullptr, nullptr);
  QRTLDataNode* third = QRTLAddData(&list_, 0, 3, nullptr, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(list_, first);
  EXPECT_EQ(first->value, wide);
  EXPECT_EQ(first->data, &data);
  EXPECT_EQ(first->next, second);
  EXPECT_EQ(second->next, third);
  EXPECT_EQ(third->next, nullptr);
}

TEST_F(DataList, BadArguments) {
  int32_t status = 0;
  EXPECT_EQ(QRTLAddData(nullptr, 1, 0, nullptr, &status), nullptr);
  EXPECT_EQ(status, QRTLERR_INVALID_PARAM);
  EXPECT_EQ(QRTLAddData(&list_, QRTL_DATA_TEXT, 0, nullptr, &status), nullptr);
  EXPECT_EQ(QRTLAddData(&list_, QRTL_DATA_BUFFER, 4, nullptr, &status), nullptr);
  EXPECT_EQ(status, QRTLERR_INVALID_PARAM);
  EXPECT_EQ(list_, nullptr);
  EXPECT_EQ(QRTLDestroyDataList(nullptr), QRTLERR_INVALID_PARAM);
}

}  // namespace
