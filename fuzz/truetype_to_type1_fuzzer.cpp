#include <cstddef>
#include <cstdint>

#include "conversions.h"

// Whatever the first step makes of a damaged font, the second must take.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string program, pfa;
  converter::StringSink programSink(program), pfaSink(pfa);
  if (converter::ConvertTrueTypeToType1Text(converter::ByteView(data, size), programSink)) {
    const auto* text = reinterpret_cast<const std::uint8_t*>(program.data());
    if (!converter::FinishType1Text(converter::ByteView(text, program.size()), pfaSink)) __builtin_trap();
  }
  return 0;
}
