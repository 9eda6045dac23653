#include <cstddef>
#include <cstdint>

#include "conversions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  converter::FontIdentity result;
  converter::ClassifyFont(converter::ByteView(data, size), result);
  return 0;
}
