#include "type1_encryption.h"

namespace converter {

namespace {

constexpr std::uint16_t kMultiplier = 52845;
constexpr std::uint16_t kIncrement = 22719;
constexpr std::size_t kHexBytesPerLine = 32;

// Unsigned 32-bit arithmetic: the product overflows int, and only the low
// 16 bits are kept anyway.
std::uint16_t NextKey(std::uint8_t cipher, std::uint16_t r) {
  return static_cast<std::uint16_t>((std::uint32_t{cipher} + r) * kMultiplier + kIncrement);
}

}  // namespace

std::vector<std::uint8_t> Type1Encrypt(std::span<const std::uint8_t> data, std::uint16_t key,
                                       std::size_t seedBytes) {
  std::vector<std::uint8_t> out;
  out.reserve(seedBytes + data.size());
  std::uint16_t r = key;
  auto encrypt = [&](std::uint8_t plain) {
    const auto cipher = static_cast<std::uint8_t>(plain ^ (r >> 8));
    r = NextKey(cipher, r);
    out.push_back(cipher);
  };
  for (std::size_t i = 0; i < seedBytes; ++i) encrypt(0);
  for (const std::uint8_t byte : data) encrypt(byte);
  return out;
}

std::vector<std::uint8_t> Type1Decrypt(std::span<const std::uint8_t> data, std::uint16_t key) {
  std::vector<std::uint8_t> out;
  out.reserve(data.size());
  std::uint16_t r = key;
  for (const std::uint8_t cipher : data) {
    out.push_back(static_cast<std::uint8_t>(cipher ^ (r >> 8)));
    r = NextKey(cipher, r);
  }
  return out;
}

void AppendHexLines(std::span<const std::uint8_t> data, std::string& out) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out.reserve(out.size() + data.size() * 2 + data.size() / kHexBytesPerLine + 1);
  for (std::size_t i = 0; i < data.size(); ++i) {
    out += kDigits[data[i] >> 4];
    out += kDigits[data[i] & 0x0F];
    if ((i + 1) % kHexBytesPerLine == 0 || i + 1 == data.size()) out += '\n';
  }
}

void AppendEexecTrailer(std::string& out) {
  for (int line = 0; line < 8; ++line) out.append(64, '0') += '\n';
  out += "cleartomark\n";
}

}  // namespace converter
