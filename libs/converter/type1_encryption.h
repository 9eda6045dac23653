// The two Type 1 encryptions: eexec over the private part of a font and the
// charstring encryption inside it. Both are the same cipher with different
// starting keys, and both begin with a few plain bytes that only seed it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "output_sink.h"

namespace converter {

inline constexpr std::uint16_t kEexecKey = 55665;
inline constexpr std::uint16_t kCharstringKey = 4330;

// Appends `seedBytes` zero bytes followed by the data, encrypted, to out.
void AppendType1Encrypted(std::span<const std::uint8_t> data, std::uint16_t key,
                          std::size_t seedBytes, std::string& out);

// Decrypts the data, seed bytes included.
std::vector<std::uint8_t> Type1Decrypt(std::span<const std::uint8_t> data, std::uint16_t key);

// Bytes written as lines of 64 hexadecimal digits, the form of the encrypted
// part in an ASCII (PFA) font, with the data given piece by piece; each
// piece goes to the sink as it is converted.
class HexLineWriter {
 public:
  // The bytes as they are given.
  explicit HexLineWriter(OutputSink& out);
  // The bytes eexec-encrypted on the way, after `seedBytes` zero bytes.
  HexLineWriter(OutputSink& out, std::size_t eexecSeedBytes);
  void Append(std::span<const std::uint8_t> data);
  // Ends the last line.
  void Finish();

 private:
  template <bool kEncrypt>
  void Convert(std::span<const std::uint8_t> data);

  OutputSink& out_;
  std::string hex_;  // of the latest slice
  bool encrypt_ = false;
  std::uint16_t r_ = kEexecKey;
  std::size_t column_ = 0;  // bytes on the current line
};

// The 512 zeros and cleartomark that end the encrypted part of a PFA.
void WriteEexecTrailer(OutputSink& out);

}  // namespace converter
