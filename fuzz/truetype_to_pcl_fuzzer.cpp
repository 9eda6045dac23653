#include <cstddef>
#include <cstdint>

#include "conversions.h"

// Whatever a damaged font converts into must still read as a PCL TrueType
// soft font.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string pcl;
  converter::PclCoverage coverage;
  if (converter::ConvertTrueTypeToPclText(converter::ByteView(data, size), pcl, coverage)) {
    converter::FontIdentity identity;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(pcl.data());
    if (!converter::ClassifyFont(converter::ByteView(bytes, pcl.size()), identity) ||
        identity.kind != converter::FontKind::PclSoftFont || (identity.subtype != 15 && identity.subtype != 16) ||
        coverage.carried == 0 || coverage.carried > coverage.mapped)
      __builtin_trap();
  }
  return 0;
}
