#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fleet/resource_set.h"

// A resource set file is whatever the user names. What it reads has a
// resource path, its line and exactly one conversion for each resource;
// what it refuses names the line, without a control character of the file's.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  const auto set = ParseResourceSet(std::string(reinterpret_cast<const char*>(data), size), "/sets/", error);
  if (!set) {
    if (!error.starts_with("line ")) std::abort();
    for (const char c : error)
      if (static_cast<std::uint8_t>(c) < 0x20 || (static_cast<std::uint8_t>(c) >= 0x7F && static_cast<std::uint8_t>(c) <= 0x9F))
        std::abort();
    return 0;
  }
  for (const SetResource& resource : set->resources) {
    const int targets = resource.conversion.toType1 + resource.conversion.toPclTrueType + resource.conversion.both;
    if (resource.path.empty() || resource.line < 1 || targets != 1) std::abort();
  }
  return 0;
}
