// The value of an IP address control: four fields of 0 to 255, each of
// which may be empty.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

struct IpAddressValue {
  std::array<std::optional<uint8_t>, 4> fields;

  // Blank only when every field is empty; one filled field makes an address.
  bool IsBlank() const {
    for (const auto& field : fields)
      if (field) return false;
    return true;
  }
  // First field most significant; an empty field counts as 0.
  uint32_t Address() const {
    uint32_t address = 0;
    for (const auto& field : fields) address = (address << 8) | field.value_or(0);
    return address;
  }
  static IpAddressValue FromAddress(uint32_t address) {
    IpAddressValue value;
    for (int i = 0; i < 4; ++i) value.fields[i] = static_cast<uint8_t>(address >> (24 - 8 * i));
    return value;
  }
};
