// Reading font files and writing conversion results. Output is written to a
// temporary file beside the target and renamed into place, so a reader never
// sees half a font and a failed conversion leaves nothing behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output_sink.h"

namespace converter {

// Fonts bigger than this are refused rather than read into memory.
inline constexpr std::size_t kMaxFontFileBytes = 256u * 1024 * 1024;

// Up to maxBytes from the start of a regular file; nullopt for directories,
// unreadable paths and files longer than kMaxFontFileBytes when the whole
// file was asked for.
std::optional<std::vector<std::uint8_t>> ReadFontFile(const char* path,
                                                      std::size_t maxBytes = kMaxFontFileBytes);

// A conversion's result on its way to `path`, written as it comes through a
// buffer. Commit() moves it into place; an output file destroyed without
// that removes what it wrote. The file is created with mode 0666 less the
// umask, as other tools create theirs.
class OutputFile final : public OutputSink {
 public:
  explicit OutputFile(const char* path);
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // False when no file could be created beside the path.
  bool IsOpen() const { return fd_ >= 0; }
  // A failure to write is reported by Commit().
  void Write(std::string_view bytes) override;
  // True when everything was written and the file moved to the path.
  bool Commit();

 private:
  void Flush();

  std::string path_, temporary_;
  int fd_ = -1;
  bool failed_ = false;
  bool committed_ = false;
  std::string buffer_;
};

// Removes what an earlier run may have left at outputPath, unless it is the
// input itself.
void DiscardOutput(const char* inputPath, const char* outputPath);

}  // namespace converter
