// Reading font files and writing conversion results. Output is written to a
// temporary file beside the target and renamed into place, so a reader never
// sees half a font and a failed conversion leaves nothing behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace converter {

// Fonts bigger than this are refused rather than read into memory.
inline constexpr std::size_t kMaxFontFileBytes = 256u * 1024 * 1024;

// Up to maxBytes from the start of a regular file; nullopt for directories,
// unreadable paths and files longer than kMaxFontFileBytes when the whole
// file was asked for.
std::optional<std::vector<std::uint8_t>> ReadFontFile(const char* path,
                                                      std::size_t maxBytes = kMaxFontFileBytes);

// True when the whole file was written and moved to path. The file is
// created with mode 0666 less the umask, as other tools create theirs.
bool WriteOutputFile(const char* path, std::string_view contents);

// Removes what an earlier run may have left at outputPath, unless it is the
// input itself.
void DiscardOutput(const char* inputPath, const char* outputPath);

}  // namespace converter
