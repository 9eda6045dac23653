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

// The bytes as lines of 64 hexadecimal digits, the form of the encrypted
// part in an ASCII (PFA) font.
void AppendHexLines(std::span<const std::uint8_t> data, std::string& out);

// The eexec encryption written straight away as hexadecimal lines, with the
// data given piece by piece; each piece goes to the sink as it is encrypted.
class EexecHexWriter {
 public:
  // Starts with `seedBytes` zero bytes.
  EexecHexWriter(std::size_t seedBytes, OutputSink& out);
  void Append(std::span<const std::uint8_t> data);
  // Ends the last line.
  void Finish();

 private:
  void Encrypt(std::span<const std::uint8_t> data);

  OutputSink& out_;
  std::string hex_;  // of the latest piece
  std::uint16_t r_;
  std::size_t column_ = 0;  // bytes on the current line
};

// The 512 zeros and cleartomark that end the encrypted part of a PFA.
void AppendEexecTrailer(std::string& out);

}  // namespace converter
