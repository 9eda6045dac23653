#include <cstddef>
#include <cstdint>

#include "conversions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string result;
  converter::StringSink sink(result);
  converter::FinishType1Text(converter::ByteView(data, size), sink);
  return 0;
}
