// The SNMP library's readers of agent answers: net-snmp parses the bytes
// as a PDU, then the identity and font table readers take it as they would
// an answer from the network; the same bytes as a whole message, as the
// discovery sweep receives it (v2c, and v3 for its message id) and as the
// table walk decodes it into its reused storage, and as an
// IEEE 1284 device ID.
#include <cstdint>
#include <cstring>
#include <vector>

#include "answer_buffer.h"
#include "device_identity.h"
#include "font_table.h"
#include "ieee1284_device_id.h"
#include "snmp_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<u_char> bytes(data, data + size);
  netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_RESPONSE);
  size_t length = bytes.size();
  if (snmp_pdu_parse(pdu, bytes.data(), &length) == 0) {
    glysnmp::IdentityAnswer identity;
    glysnmp::ReadIdentity(*pdu, 0x7f000001, &identity);
    if (strnlen(identity.device.description, sizeof identity.device.description) == sizeof identity.device.description) {
      __builtin_trap();
    }
    glysnmp::FontRows rows;
    size_t position = 0;
    for (netsnmp_variable_list* value = pdu->variables; value != nullptr; value = value->next_variable) {
      rows.Add(position++ % glysnmp::FontColumns().size(), *value);
    }
    for (const FontEntry& entry : rows.Named()) {
      if (strnlen(entry.name, sizeof entry.name) == sizeof entry.name) __builtin_trap();
    }
  }
  snmp_free_pdu(pdu);

  if (std::optional<int32_t> id = glysnmp::DecodeV3MessageId(data, size); id && *id < 0) __builtin_trap();
  if (glysnmp::Pdu message = glysnmp::DecodeV2cMessage(data, size)) {
    glysnmp::IdentityAnswer identity;
    glysnmp::ReadIdentity(*message, 0x7f000001, &identity);
    // The table walk's own decoder, awaiting this message's request id.
    if (size <= glysnmp::AnswerBuffer::kMostBytes) {
      static glysnmp::AnswerBuffer answer;
      std::memcpy(answer.data(), data, size);
      const auto awaited = [&](int32_t id) { return id == static_cast<int32_t>(message->reqid); };
      if (answer.Decode(size, awaited)) {
        glysnmp::FontRows rows;
        size_t position = 0;
        for (const netsnmp_variable_list* value = answer.variables(); value != nullptr; value = value->next_variable) {
          rows.Add(position++ % glysnmp::FontColumns().size(), *value);
        }
      }
    }
  }
  glysnmp::DeviceIdFields fields =
      glysnmp::ParseDeviceId(std::string_view(reinterpret_cast<const char*>(data), size));
  if (fields.model.size() > glysnmp::kMostDeviceIdBytes) __builtin_trap();
  return 0;
}
