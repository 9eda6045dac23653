#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tessel/qtl.h"

namespace {

TEST(AddressLists, NewestFirstOneFamilyAndStates) {
  AddressNode* list = nullptr;
  int values[3];
  for (uint32_t host = 1; host <= 3; ++host) {
    NetAddress address{};
    address.protocol = host == 2 ? QTL_PROTO_TCP : QTL_PROTO_UDP;
    address.u.ip.address = host;
    ASSERT_EQ(QTLAddAddress(&list, &address, &values[host - 1]), QTL_SUCCESS);
  }
  NetAddress ipx{};
  ipx.protocol = QTL_PROTO_IPX;
  EXPECT_EQ(QTLAddAddress(&list, &ipx, nullptr), QTLERR_BAD_ADDRESS);
  EXPECT_EQ(QTLAddAddress(nullptr, &ipx, nullptr), QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLAddAddress(&list, nullptr, nullptr), QTLERR_INVALID_PARAM);
  ASSERT_EQ(QTLCountAddressList(list), 3);
  EXPECT_EQ(QTLCountAddressList(nullptr), 0);

  std::vector<uint32_t> visited;
  for (AddressNode* node = list; node; node = node->next) {
    visited.push_back(node->address.u.ip.address);
    EXPECT_EQ(node->state, QTL_NODE_PENDING);
    EXPECT_EQ(node->userValue, &values[node->address.u.ip.address - 1]);
  }
  EXPECT_EQ(visited, (std::vector<uint32_t>{3, 2, 1}));

  list->next->state = QTL_NODE_ANSWERED;
  list->state = QTL_NODE_IN_PROGRESS;
  EXPECT_EQ(QTLSetAddressListNoResponses(list), nullptr);
  EXPECT_EQ(list->state, QTL_NODE_NO_RESPONSE);
  EXPECT_EQ(list->next->state, QTL_NODE_ANSWERED);
  EXPECT_EQ(list->next->next->state, QTL_NODE_NO_RESPONSE);

  EXPECT_EQ(QTLCleanupAddressList(&list), QTL_SUCCESS);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(QTLCleanupAddressList(nullptr), QTLERR_INVALID_PARAM);
  // An emptied list takes any family again.
  EXPECT_EQ(QTLAddAddress(&list, &ipx, nullptr), QTL_SUCCESS);
  EXPECT_EQ(QTLCleanupAddressList(&list), QTL_SUCCESS);
}

TEST(HostLists, NamesAreCopiedNewestFirst) {
  HostNode* list = nullptr;
  std::string name = "first";
  ASSERT_EQ(QTLAddHost(&list, name.c_str(), nullptr), QTL_SUCCESS);
  name = "second";
  ASSERT_EQ(QTLAddHost(&list, name.c_str(), &name), QTL_SUCCESS);
  name = "changed";
  EXPECT_EQ(QTLAddHost(&list, nullptr, nullptr), QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLAddHost(nullptr, "x", nullptr), QTLERR_INVALID_PARAM);
  ASSERT_NE(list, nullptr);
  EXPECT_STREQ(list->name, "second");
  EXPECT_EQ(list->userValue, &name);
  EXPECT_EQ(list->state, QTL_NODE_PENDING);
  ASSERT_NE(list->next, nullptr);
  EXPECT_STREQ(list->next->name, "first");
  EXPECT_EQ(list->next->next, nullptr);
  EXPECT_EQ(QTLCleanupHostList(&list), QTL_SUCCESS);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(QTLCleanupHostList(nullptr), QTLERR_INVALID_PARAM);
}

}  // namespace
