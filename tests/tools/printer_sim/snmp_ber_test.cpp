// The agent's BER encoding against byte sequences worked out by hand from
// X.690, where values sit at the edges of their encodings.
#include <gtest/gtest.h>

#include "snmp_ber.h"

using namespace printer_sim;

namespace {

// The bytes of one encoded value inside a response.
std::string EncodedValue(const Value& value) {
  SnmpMessage message;
  message.pduType = kPduResponse;
  message.community = "c";
  message.varBinds.push_back({{1, 3}, value});
  std::string bytes = EncodeMessage(message);
  // The binding's name 1.3 (06 01 2B) is the last thing before the value.
  return bytes.substr(bytes.rfind(std::string("\x06\x01\x2b", 3)) + 3);
}

TEST(SnmpBerTest, ValuesAtTheEdgesOfTheirEncodings) {
  EXPECT_EQ(EncodedValue(Value::Integer(-2)), std::string("\x02\x01\xfe", 3));
  EXPECT_EQ(EncodedValue(Value::Integer(127)), std::string("\x02\x01\x7f", 3));
  EXPECT_EQ(EncodedValue(Value::Integer(128)), std::string("\x02\x02\x00\x80", 4));
  EXPECT_EQ(EncodedValue(Value::Integer(-129)), std::string("\x02\x02\xff\x7f", 4));
  EXPECT_EQ(EncodedValue(Value::Integer(0)), std::string("\x02\x01\x00", 3));
  EXPECT_EQ(EncodedValue(Value::Unsigned(kTagGauge32, 0xFFFFFFFF)), std::string("\x42\x05\x00\xff\xff\xff\xff", 7));
  EXPECT_EQ(EncodedValue(Value::Unsigned(kTagTimeTicks, 0x80)), std::string("\x43\x02\x00\x80", 4));
  EXPECT_EQ(EncodedValue(Value::ObjectId({1, 3, 6, 1, 4, 1, 32473})),
            std::string("\x06\x08\x2b\x06\x01\x04\x01\x81\xfd\x59", 10));
  EXPECT_EQ(EncodedValue(Value::Text(std::string(200, 'a'))).substr(0, 3), std::string("\x04\x81\xc8", 3));
}

std::string Tlv(char tag, const std::string& content) {
  return std::string(1, tag) + static_cast<char>(content.size()) + content;
}

// A request of one binding with a NULL value.
std::string Request(char version, char pdu, const std::string& oid) {
  std::string binding = Tlv(0x30, Tlv(0x06, oid) + std::string("\x05\x00", 2));
  std::string zero(1, '\0');
  return Tlv(0x30, Tlv(0x02, std::string(1, version)) + Tlv(0x04, "c") +
                       Tlv(pdu, Tlv(0x02, "\x01") + Tlv(0x02, zero) + Tlv(0x02, zero) + Tlv(0x30, binding)));
}

bool Decodes(const std::string& bytes, SnmpMessage& message) {
  return DecodeMessage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), message);
}

TEST(SnmpBerTest, RequestsThatBreakTheRulesAreRefused) {
  const char get = static_cast<char>(kPduGet), bulk = static_cast<char>(kPduGetBulk);
  const std::string good = Request(1, get, "\x2b\x81\xfd\x59");
  SnmpMessage message;
  ASSERT_TRUE(Decodes(good, message));
  EXPECT_EQ(message.varBinds.at(0).name, (Oid{1, 3, 32473}));
  EXPECT_TRUE(Decodes(Request(1, bulk, "\x2b"), message));
  EXPECT_TRUE(Decodes(Request(0, get, "\x2b"), message));

  for (size_t size = 0; size < good.size(); ++size) {
    EXPECT_FALSE(Decodes(good.substr(0, size), message)) << "cut to " << size;
  }
  const std::string broken[] = {
      good + std::string(1, '\0'),                           // bytes after the message
      Request(0, bulk, "\x2b"),                               // GETBULK is not SNMPv1
      Request(3, get, "\x2b"),                                // SNMPv3
      Request(1, static_cast<char>(kPduResponse), "\x2b"),    // an agent takes no responses
      Request(1, get, "\x2b\x80\x01"),                        // padding in a sub-identifier
      Request(1, get, "\x2b\x81"),                            // a sub-identifier cut short
      Request(1, get, "\x2b\x90\x80\x80\x80\x00"),            // a sub-identifier past 32 bits
      Request(1, get, ""),                                    // an empty name
  };
  for (const std::string& bytes : broken) EXPECT_FALSE(Decodes(bytes, message));
}

}  // namespace
