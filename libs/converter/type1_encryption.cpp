#include "type1_encryption.h"

#include <algorithm>
#include <array>

namespace converter {

namespace {

constexpr std::uint16_t kMultiplier = 52845;
constexpr std::uint16_t kIncrement = 22719;
constexpr std::size_t kHexBytesPerLine = 32;
constexpr std::size_t kHexSliceBytes = 64 * 1024;

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
  char* at = out.data() + start;
  auto encrypt = [&](std::uint8_t plain) {
    const auto cipher = static_cast<std::uint8_t>(plain ^ (r >> 8));
    r = NextKey(cipher, r);
    *at++ = static_cast<char>(cipher);
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

// The two hexadecimal digits of every byte, so that each byte is written
// with one table load.
constexpr std::array<std::array<char, 2>, 256> kHexPairs = [] {
  constexpr char kDigits[] = "0123456789abcdef";
  std::array<std::array<char, 2>, 256> pairs{};
  for (std::size_t byte = 0; byte < 256; ++byte) pairs[byte] = {kDigits[byte >> 4], kDigits[byte & 0x0F]};
  return pairs;
}();

}  // namespace

HexLineWriter::HexLineWriter(OutputSink& out) : out_(out) {}

HexLineWriter::HexLineWriter(OutputSink& out, std::size_t eexecSeedBytes) : out_(out), encrypt_(true) {
  const std::vector<std::uint8_t> seed(eexecSeedBytes, 0);
  Append(seed);
}

void HexLineWriter::Append(std::span<const std::uint8_t> data) {
  // A large piece goes out in slices, so that its hexadecimal form, twice
  // its size, is never held whole.
  do {
    const std::span<const std::uint8_t> slice = data.first(std::min(data.size(), kHexSliceBytes));
    if (encrypt_) Convert<true>(slice);
    else Convert<false>(slice);
    data = data.subspan(slice.size());
  } while (!data.empty());
}

template <bool kEncrypt>
void HexLineWriter::Convert(std::span<const std::uint8_t> data) {
  hex_.resize(data.size() * 2 + (column_ + data.size()) / kHexBytesPerLine);
  char* at = hex_.data();
  std::uint16_t r = r_;
  std::size_t column = column_;
  for (const std::uint8_t *plain = data.data(), *end = plain + data.size(); plain != end;) {
    // The rest of the line, or of the data.
    const std::size_t run = std::min(static_cast<std::size_t>(end - plain), kHexBytesPerLine - column);
    for (const std::uint8_t* runEnd = plain + run; plain != runEnd; ++plain) {
      std::uint8_t byte = *plain;
      if constexpr (kEncrypt) {
        byte = static_cast<std::uint8_t>(byte ^ (r >> 8));
        r = NextKey(byte, r);
      }
      at[0] = kHexPairs[byte][0];
      at[1] = kHexPairs[byte][1];
      at += 2;
    }
    column += run;
    if (column == kHexBytesPerLine) {
      *at++ = '\n';
      column = 0;
    }
  }
  r_ = r;
  column_ = column;
  out_.Write(hex_);
}

void HexLineWriter::Finish() {
  if (column_ != 0) out_.Write("\n");
  column_ = 0;
}

void WriteEexecTrailer(OutputSink& out) {
  static const std::string trailer = [] {
    std::string text;
    for (int line = 0; line < 8; ++line) text.append(64, '0') += '\n';
    return text + "cleartomark\n";
  }();
  out.Write(trailer);
}

}  // namespace converter
