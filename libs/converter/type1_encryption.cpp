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

void AppendType1Encrypted(std::span<const std::uint8_t> data, std::uint16_t key,
                          std::size_t seedBytes, std::string& out) {
  const std::size_t start = out.size();
  out.resize(start + seedBytes + data.size());
  std::uint16_t r = key;
  std::size_t at = start;
  auto encrypt = [&](std::uint8_t plain) {
    const auto cipher = static_cast<std::uint8_t>(plain ^ (r >> 8));
    r = NextKey(cipher, r);
    out[at++] = static_cast<char>(cipher);
  };
  for (std::size_t i = 0; i < seedBytes; ++i) encrypt(0);
  for (const std::uint8_t byte : data) encrypt(byte);
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

namespace {

// Writes each byte that `next` yields as two digits, with a line break after
// every kHexBytesPerLine bytes and after the last.
template <typename NextByte>
void AppendHex(std::size_t count, NextByte next, std::string& out) {
  static constexpr char kDigits[] = "0123456789abcdef";
  const std::size_t lines = (count + kHexBytesPerLine - 1) / kHexBytesPerLine;
  std::size_t at = out.size();
  out.resize(at + count * 2 + lines);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t byte = next(i);
    out[at++] = kDigits[byte >> 4];
    out[at++] = kDigits[byte & 0x0F];
    if ((i + 1) % kHexBytesPerLine == 0 || i + 1 == count) out[at++] = '\n';
  }
}

}  // namespace

void AppendHexLines(std::span<const std::uint8_t> data, std::string& out) {
  AppendHex(data.size(), [data](std::size_t i) { return data[i]; }, out);
}

void AppendEexecHexLines(std::span<const std::uint8_t> data, std::size_t seedBytes, std::string& out) {
  std::uint16_t r = kEexecKey;
  AppendHex(
      seedBytes + data.size(),
      [&](std::size_t i) {
        const std::uint8_t plain = i < seedBytes ? 0 : data[i - seedBytes];
        const auto cipher = static_cast<std::uint8_t>(plain ^ (r >> 8));
        r = NextKey(cipher, r);
        return cipher;
      },
      out);
}

void AppendEexecTrailer(std::string& out) {
  for (int line = 0; line < 8; ++line) out.append(64, '0') += '\n';
  out += "cleartomark\n";
}

}  // namespace converter
