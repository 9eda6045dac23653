// The walk's reused answer storage, fed crafted messages.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "answer_buffer.h"
#include "crafted_agent.h"

namespace {

using glysnmp::AnswerBuffer;
using crafted::Oid;

const Oid kColumn = {1, 3, 6, 1, 4, 1, 32473, 2, 1, 2, 1, 2};

crafted::Request V2cRequest(int64_t id) {
  crafted::Request request;
  request.version = 1;
  request.community = "vorpal";
  request.command = 0xa5;
  request.requestId = id;
  return request;
}

bool Decode(AnswerBuffer& answer, const std::string& message, int32_t id) {
  std::memcpy(answer.data(), message.data(), message.size());
  return answer.Decode(message.size(), [id](int32_t awaited) { return awaited == id; });
}

std::vector<const netsnmp_variable_list*> Bindings(const AnswerBuffer& answer) {
  std::vector<const netsnmp_variable_list*> bindings;
  for (const netsnmp_variable_list* value = answer.variables(); value != nullptr; value = value->next_variable) {
    bindings.push_back(value);
  }
  return bindings;
}

// A smaller answer after a larger one shows only its own bindings, each
// value intact, although the storage is the earlier answer's.
TEST(AnswerBuffer, EachAnswerShowsItsOwnBindingsInReusedStorage) {
  AnswerBuffer answer;
  std::vector<std::string> many;
  const std::string longName(300, 'N');
  for (uint64_t row = 1; row <= 200; ++row) {
    many.push_back(crafted::VarBind(crafted::Join(kColumn, {row}), crafted::Text(longName)));
  }
  ASSERT_TRUE(Decode(answer, crafted::Response(V2cRequest(7), many), 7));
  ASSERT_EQ(Bindings(answer).size(), 200u);

  const std::string few = crafted::Response(
      V2cRequest(8), {crafted::VarBind(crafted::Join(kColumn, {201}), crafted::Integer(-5)),
                      crafted::VarBind(crafted::Join(kColumn, {202}), crafted::ObjectId({1, 3, 6, 1, 2, 1, 25, 2, 1, 4})),
                      crafted::VarBind(crafted::Join(kColumn, {203}), crafted::Text("Courier")),
                      crafted::VarBind(crafted::Join(kColumn, {204}), crafted::Tlv(0x82, ""))});
  ASSERT_TRUE(Decode(answer, few, 8));
  std::vector<const netsnmp_variable_list*> bindings = Bindings(answer);
  ASSERT_EQ(bindings.size(), 4u);
  EXPECT_EQ(bindings[0]->name[bindings[0]->name_length - 1], 201u);
  EXPECT_EQ(*bindings[0]->val.integer, -5);
  ASSERT_EQ(bindings[1]->type, ASN_OBJECT_ID);
  EXPECT_EQ(bindings[1]->val_len, 10 * sizeof(oid));
  EXPECT_EQ(bindings[1]->val.objid[9], 4u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bindings[2]->val.string), bindings[2]->val_len), "Courier");
  EXPECT_EQ(bindings[3]->type, SNMP_ENDOFMIBVIEW);
  EXPECT_EQ(answer.errstat(), 0);
}

TEST(AnswerBuffer, AnythingButTheAwaitedV2cResponseIsRefusedAndLeavesNoBindings) {
  AnswerBuffer answer;
  const std::string binding = crafted::VarBind(crafted::Join(kColumn, {1}), crafted::Text("Courier"));
  const std::string right = crafted::Response(V2cRequest(9), {binding, binding});
  crafted::Request v1 = V2cRequest(9);
  v1.version = 0;
  std::string notAResponse = right;
  notAResponse[notAResponse.find('\xa2')] = '\xa0';
  for (const std::string& message : {crafted::Response(V2cRequest(10), {binding}), crafted::Response(v1, {binding}),
                                     notAResponse, right.substr(0, right.size() - 3)}) {
    ASSERT_TRUE(Decode(answer, right, 9));
    EXPECT_FALSE(Decode(answer, message, 9));
    EXPECT_EQ(answer.variables(), nullptr);
  }
}

}  // namespace
