#include "font_module.h"

namespace converter {

namespace {

// Signatures do not overlap (sfnt versions, 0x80 0x01, "%!", ESC) except for
// Type 1 text with a binary encrypted part, which must be asked before PFA.
constexpr const FontModule* kModules[] = {
    &kTrueTypeModule, &kType1PfbModule, &kType1BinaryModule, &kType1PfaModule,
    &kType3Module,    &kType42Module,   &kPclSoftFontModule,
};

}  // namespace

std::span<const FontModule* const> FontModules() { return kModules; }

const FontModule* FindFontModule(ByteView head) {
  for (const FontModule* module : kModules) {
    if (module->recognise(head)) return module;
  }
  return nullptr;
}

}  // namespace converter
