// Answers nobody should send: wrong types, oversize values, odd indexes,
// endless tables and strangers' request ids. Nothing may be written past a
// field, nothing may crash, and every walk must end.
#include <gtest/gtest.h>

#include <cstring>

#include "crafted_agent.h"
#include "glysnmp_test_support.h"
#include "table_walk.h"

namespace {

using crafted::Oid;
using crafted::Request;

const Oid kPrtGeneralEntry = {1, 3, 6, 1, 2, 1, 43, 5, 1, 1};
const Oid kFontEntry = {1, 3, 6, 1, 4, 1, 32473, 2, 1, 2, 1};

// The answer to the identity request (GETNEXT of the three system objects,
// the Printer-MIB general table and the device types): `values` for the
// system objects' instances, a general row, and the end of the MIB.
std::vector<std::string> Identity(const Request& request, const std::vector<std::string>& values) {
  std::vector<std::string> bindings;
  for (size_t i = 0; i < request.names.size(); ++i) {
    if (i < values.size()) {
      bindings.push_back(crafted::VarBind(crafted::Join(request.names[i], {0}), values[i]));
    } else if (i == values.size()) {
      bindings.push_back(crafted::VarBind(crafted::Join(kPrtGeneralEntry, {1, 1}), crafted::Integer(0)));
    } else {
      bindings.push_back(crafted::VarBind(request.names[i], crafted::Tlv(0x82, "")));
    }
  }
  return {crafted::Response(request, bindings)};
}

// A font table whose every row is followed by another: each asked column
// gets the rows after the asked one, as many as a GETBULK wants.
std::vector<std::string> EndlessFonts(const Request& request) {
  std::vector<std::string> bindings;
  int64_t rows = request.command == 0xa5 ? std::max<int64_t>(request.maxRepetitions, 1) : 1;
  for (int64_t repeat = 1; repeat <= rows; ++repeat) {
    for (const Oid& asked : request.names) {
      uint64_t column = asked[kFontEntry.size()];
      uint64_t index = (asked.size() > kFontEntry.size() + 1 ? asked.back() : 0) + static_cast<uint64_t>(repeat);
      std::string value = column == 2 ? crafted::Text("F" + std::to_string(index)) : crafted::Integer(4);
      bindings.push_back(crafted::VarBind(crafted::Join(kFontEntry, {column, index}), value));
    }
  }
  return {crafted::Response(request, bindings)};
}

class UntrustedAgent : public ::testing::Test {
 protected:
  void Start(const std::string& address, crafted::Handler handler) {
    address_ = address;
    settings_.reset();  // puts back the settings before another agent's
    agent_ = std::make_unique<crafted::Agent>(address, std::move(handler));
    settings_ = std::make_unique<AgentTest>(agent_->port());
    SnmpInitContext(&context_, nullptr, nullptr, 0);
  }
  PrinterRecord Printer() { return RecordFor(address_); }

  std::string address_;
  std::unique_ptr<crafted::Agent> agent_;
  std::unique_ptr<AgentTest> settings_;
  SnmpContext context_{};
};

TEST_F(UntrustedAgent, OversizeIdentityTextsAreCutToTheirFields) {
  Oid longOid = {1, 3, 6, 1, 4, 1};
  while (longOid.size() < 120) longOid.push_back(4294967295u);
  Start("127.62.0.1", [&](const Request& request) {
    return Identity(request, {crafted::Text(std::string(5000, 'D')), crafted::ObjectId(longOid),
                              crafted::Text(std::string(300, 'N'))});
  });
  DeviceInfo device;
  std::memset(&device, 0x55, sizeof device);
  ASSERT_EQ(SnmpAddPrinter(&context_, AddressOf(address_), &device), kSnmpAddAnswered);
  EXPECT_EQ(std::strlen(device.description), sizeof device.description - 1);
  EXPECT_EQ(std::strlen(device.deviceName), sizeof device.deviceName - 1);
  EXPECT_EQ(std::strlen(device.systemId), sizeof device.systemId - 1);
  EXPECT_EQ(std::string(device.systemId).rfind("1.3.6.1.4.1.", 0), 0u);
  EXPECT_EQ(device.reserved[0], 0) << "the record's spare bytes are cleared, not left as they were";
}

TEST_F(UntrustedAgent, WrongTypesLeaveFieldsEmptyAndAnswersWithoutIdentityAreNoPrinter) {
  std::vector<std::string> values = {crafted::Integer(7), crafted::Text("not an oid"), crafted::Text(std::string("LAB\0X", 5))};
  Start("127.62.0.2", [&](const Request& request) { return Identity(request, values); });
  DeviceInfo device{};
  ASSERT_EQ(SnmpAddPrinter(&context_, AddressOf(address_), &device), kSnmpAddAnswered);
  EXPECT_STREQ(device.description, "");
  EXPECT_STREQ(device.systemId, "");
  EXPECT_STREQ(device.deviceName, "LAB") << "a name stops at its first NUL";

  values = {crafted::Integer(7), crafted::Null(), crafted::Integer(1)};
  SnmpContext fresh{};
  SnmpInitContext(&fresh, nullptr, nullptr, 0);
  EXPECT_EQ(SnmpAddPrinter(&fresh, AddressOf(address_), &device), kSnmpAddNotAPrinter);
}

TEST_F(UntrustedAgent, AnObjectIdentifierLongerThanSnmpAllowsIsAnAnswerThatCannotBeRead) {
  Oid tooLong(300, 1);
  Start("127.62.0.3", [&](const Request& request) {
    return Identity(request, {crafted::Text("d"), crafted::ObjectId(tooLong), crafted::Text("n")});
  });
  DeviceInfo device{};
  EXPECT_EQ(SnmpAddPrinter(&context_, AddressOf(address_), &device), kSnmpMalformedAnswer);
  Start("127.62.0.13", [](const Request&) { return std::vector<std::string>{"\x30\x03\x02\x01"}; });
  EXPECT_EQ(SnmpAddPrinter(&context_, AddressOf(address_), &device), kSnmpMalformedAnswer) << "not even BER";
}

TEST_F(UntrustedAgent, AnswersToOtherRequestIdsAreNotTaken) {
  bool alsoRightOne = false;
  Start("127.62.0.4", [&](const Request& request) {
    std::vector<std::string> answers = {
        crafted::ResponseWithId(request, request.requestId + 1, {crafted::VarBind(request.names[0], crafted::Text("x"))})};
    if (alsoRightOne) {
      for (const std::string& answer : Identity(request, {crafted::Text("d"), crafted::ObjectId({1, 3, 6}), crafted::Text("OK")})) {
        answers.push_back(answer);
      }
    }
    return answers;
  });
  DeviceInfo device{};
  EXPECT_EQ(SnmpAddPrinter(&context_, AddressOf(address_), &device), kSnmpMalformedAnswer) << "not silence";
  PrinterRecord printer = Printer();
  FontList fonts{};
  EXPECT_NE(SnmpGetFontList(&printer, &fonts), 0);
  EXPECT_EQ(fonts.count, 0);

  alsoRightOne = true;
  EXPECT_EQ(SnmpAddPrinter(&context_, AddressOf(address_), &device), kSnmpAddAnswered);
  EXPECT_STREQ(device.deviceName, "OK");
}

TEST_F(UntrustedAgent, FontRowsWithOddIndexesAndValuesAreCutOrLeftOut) {
  std::map<Oid, std::string> objects;
  auto row = [&](uint64_t index, const std::string& name, const std::string& number) {
    objects[crafted::Join(kFontEntry, {2, index})] = name;
    for (uint64_t column = 3; column <= 6; ++column) objects[crafted::Join(kFontEntry, {column, index})] = number;
  };
  row(1, crafted::Text("Font1"), crafted::Integer(-7));
  row(4, crafted::Text(std::string(200, 'W')), crafted::Integer(4));        // name without NUL, too long
  row(5, crafted::Integer(5), crafted::Integer(4));                         // name of the wrong type
  row(6, crafted::Text("Font6"), crafted::Text("6"));                       // numbers of the wrong type
  row(7, crafted::Text("Font7"), crafted::Integer(int64_t{1} << 40));       // numbers beyond 32 bits
  row(2147483648u, crafted::Text("Negative"), crafted::Integer(4));         // index negative as int32
  row(4294967295u, crafted::Text("Huge"), crafted::Integer(4));
  objects[crafted::Join(kFontEntry, {2, 8, 1})] = crafted::Text("TwoPartIndex");
  Start("127.62.0.5", [&](const Request& request) { return crafted::Serve(request, objects); });

  for (int32_t level : {1, 2}) {
    SCOPED_TRACE(level);
    PrinterRecord printer = RecordFor(address_, "vorpal", "quillet", level);
    FontList fonts{};
    ASSERT_EQ(SnmpGetFontList(&printer, &fonts), 0);
    ASSERT_EQ(fonts.count, 4) << "rows 1, 4, 6 and 7; 5 has no name, the others no 32-bit index";
    EXPECT_EQ(fonts.entries[0].index, 1);
    EXPECT_STREQ(fonts.entries[0].name, "Font1");
    EXPECT_EQ(fonts.entries[0].fontId, -7);
    EXPECT_EQ(fonts.entries[0].persistence, -7);
    EXPECT_EQ(fonts.entries[1].index, 4);
    EXPECT_EQ(std::strlen(fonts.entries[1].name), sizeof fonts.entries[1].name - 1);
    EXPECT_EQ(fonts.entries[2].fontId, kNoFontId);
    EXPECT_EQ(fonts.entries[2].location, 0);
    EXPECT_EQ(fonts.entries[2].fontType, 0);
    EXPECT_EQ(fonts.entries[2].persistence, 0);
    // net-snmp itself cuts integers beyond 32 bits to their low 32 bits.
    EXPECT_STREQ(fonts.entries[3].name, "Font7");
    SnmpFreeFontList(&fonts);
  }
}

TEST_F(UntrustedAgent, AWalkOfATableThatNeverEndsStops) {
  Start("127.62.0.6", EndlessFonts);
  PrinterRecord printer = Printer();
  FontList fonts{};
  ASSERT_EQ(SnmpGetFontList(&printer, &fonts), 0);
  EXPECT_EQ(static_cast<size_t>(fonts.count), glysnmp::kMostRows);
  SnmpFreeFontList(&fonts);
}

TEST_F(UntrustedAgent, AWalkThatDoesNotMoveForwardStops) {
  Start("127.62.0.7", [&](const Request& request) {
    std::vector<std::string> bindings;
    for (size_t i = 0; i < request.names.size(); ++i) {
      bindings.push_back(crafted::VarBind(crafted::Join(kFontEntry, {2, 9}), crafted::Text("same")));
    }
    return std::vector<std::string>{crafted::Response(request, bindings)};
  });
  for (int32_t level : {1, 2}) {
    SCOPED_TRACE(level);
    size_t before = agent_->RequestCount();
    PrinterRecord printer = RecordFor(address_, "vorpal", "quillet", level);
    FontList fonts{};
    ASSERT_EQ(SnmpGetFontList(&printer, &fonts), 0);
    EXPECT_EQ(fonts.count, 1);
    SnmpFreeFontList(&fonts);
    EXPECT_LT(agent_->RequestCount() - before, 10u);
  }
}

TEST_F(UntrustedAgent, AnAgentWithSmallMessagesIsAskedForFewerRows) {
  std::map<Oid, std::string> objects;
  for (uint64_t index = 1; index <= 30; ++index) {
    objects[crafted::Join(kFontEntry, {2, index})] = crafted::Text("F" + std::to_string(index));
  }
  objects[{1, 3, 6, 1, 4, 1, 32473, 2, 1, 1, 0}] = crafted::Integer(30);
  Start("127.62.0.10", [&](const Request& request) {
    if (request.command == 0xa5 && request.maxRepetitions > 3) return std::vector<std::string>{crafted::Response(request, {}, 1, 0)};
    return crafted::Serve(request, objects);
  });
  PrinterRecord printer = Printer();
  FontList fonts{};
  ASSERT_EQ(SnmpGetFontList(&printer, &fonts), 0);
  EXPECT_EQ(fonts.count, 30);
  SnmpFreeFontList(&fonts);
}

// Each column's requests are in flight side by side; this agent answers
// them in the reverse order and repeats an answer already taken.
TEST_F(UntrustedAgent, AnswersComingInAnotherOrderGoToTheColumnsThatAskedForThem) {
  std::map<Oid, std::string> objects;
  for (uint64_t index = 1; index <= 30; ++index) {
    objects[crafted::Join(kFontEntry, {2, index})] = crafted::Text("F" + std::to_string(index));
    for (uint64_t column = 3; column <= 6; ++column)
      objects[crafted::Join(kFontEntry, {column, index})] = crafted::Integer(static_cast<int64_t>(column * 100 + index));
  }
  std::vector<std::string> held;
  Start("127.62.0.13", [&](const Request& asked) {
    Request request = asked;
    request.maxRepetitions = std::min<int64_t>(request.maxRepetitions, 4);
    std::vector<std::string> answers = crafted::Serve(request, objects);
    if (request.command != 0xa5 || request.names.size() != 1) return answers;
    held.insert(held.end(), answers.begin(), answers.end());
    if (held.size() < 5) return std::vector<std::string>{};
    std::vector<std::string> reversed(held.rbegin(), held.rend());
    reversed.push_back(held.back());
    held.clear();
    return reversed;
  });
  PrinterRecord printer = Printer();
  FontList fonts{};
  ASSERT_EQ(SnmpGetFontList(&printer, &fonts), 0);
  ASSERT_EQ(fonts.count, 30);
  for (int32_t i = 0; i < fonts.count; ++i) {
    const int32_t index = i + 1;
    EXPECT_EQ(fonts.entries[i].name, "F" + std::to_string(index));
    EXPECT_EQ(fonts.entries[i].fontId, 300 + index);
    EXPECT_EQ(fonts.entries[i].persistence, 600 + index);
  }
  SnmpFreeFontList(&fonts);
}

TEST_F(UntrustedAgent, V1ErrorsNamingNoBindingEndTheWalk) {
  Start("127.62.0.8", [&](const Request& request) {
    return std::vector<std::string>{crafted::Response(request, {}, 2, 99)};
  });
  PrinterRecord printer = RecordFor(address_, "vorpal", "quillet", 1);
  FontList fonts{};
  EXPECT_NE(SnmpGetFontList(&printer, &fonts), 0) << "an empty walk with no font count is no font table";
  EXPECT_EQ(SnmpGetPrinterOptions(&printer), 0);
  EXPECT_EQ(printer.storageOptions, kStorageNone);
}

TEST_F(UntrustedAgent, DeletionStatusOfTheWrongTypeOrNameStaysPending) {
  Start("127.62.0.9", [&](const Request& request) {
    Oid other = crafted::Join(kFontEntry, {7, 999});
    return std::vector<std::string>{crafted::Response(request, {crafted::VarBind(other, crafted::Text("gone?"))})};
  });
  PrinterRecord printer = Printer();
  DeleteContext deletion{&printer, 0};
  uint32_t pending = 0;
  EXPECT_NE(SnmpDeleteFontPoll(&deletion, 5, &pending), 0);
  EXPECT_EQ(pending, 1u);
  EXPECT_NE(SnmpDeleteFontPoll(&deletion, -3, &pending), 0);
  EXPECT_EQ(pending, 1u);
  DeleteContext noPrinter{nullptr, 0};
  EXPECT_NE(SnmpDeleteFontStart(&noPrinter, 5), 0);
}

// A SET is done only when the agent answers with the value set: an answer
// without an error but with an exception or another value is a refusal,
// whatever the font table then says.
TEST_F(UntrustedAgent, ADeletionAnsweredWithAnotherValueIsRefusedNotDone) {
  const Oid fontCount = {1, 3, 6, 1, 4, 1, 32473, 2, 1, 1, 0};
  std::string setAnswer;
  int64_t setError = 0;
  Start("127.62.0.12", [&](const Request& request) {
    if (request.command != 0xa3) return crafted::Serve(request, {{fontCount, crafted::Integer(3)}});
    return std::vector<std::string>{
        crafted::Response(request, {crafted::VarBind(request.names[0], setAnswer)}, setError, setError ? 1 : 0)};
  });
  PrinterRecord printer = Printer();
  auto start = [&](const std::string& answer, int64_t error = 0) {
    setAnswer = answer;
    setError = error;
    DeleteContext deletion{&printer, 0};
    return SnmpDeleteFontStart(&deletion, 5);
  };
  EXPECT_EQ(start(crafted::Tlv(0x81, "")), kSnmpRefused) << "noSuchInstance";
  EXPECT_EQ(start(crafted::Tlv(0x80, "")), kSnmpRefused) << "noSuchObject";
  EXPECT_EQ(start(crafted::Integer(1)), kSnmpRefused) << "another value";
  EXPECT_EQ(start(crafted::Text("\x02")), kSnmpRefused) << "another type";
  EXPECT_EQ(start(crafted::Integer(2), 17), kSnmpRefused) << "notWritable";
  EXPECT_EQ(start(crafted::Integer(2)), kSnmpOk);
}

// Silence, the commonest answer of all: a printer switched off waits out
// the time-out once for its details, not once for each part of them.
TEST_F(UntrustedAgent, ASilentPrinterIsWaitedForOnceForItsDetails) {
  Start("127.62.0.40", [](const Request&) { return std::vector<std::string>{}; });
  PrinterRecord printer = Printer();
  SnmpPrinterDetails details;
  EXPECT_NE(SnmpGetPrinterDetails(&printer, &details), 0);
  const size_t forDetails = agent_->RequestCount();
  EXPECT_NE(SnmpGetPrinterOptions(&printer), 0);  // one storage walk, one time-out
  EXPECT_EQ(agent_->RequestCount() - forDetails, forDetails);
}

}  // namespace
