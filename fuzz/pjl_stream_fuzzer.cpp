// The SNMP library's reader of a printer's AppSocket byte stream: replies
// cut at form feeds, uploads by their size, echoes and status reports told
// apart, in whatever pieces the bytes arrive; each reply then goes to the
// readers that take it. The first byte chooses the piece size.
#include <cstdint>
#include <string_view>

#include "pjl_reply.h"
#include "pjl_stream.h"

namespace {

void ReadBlock(const glysnmp::PjlBlock& block, std::string_view input) {
  if (block.text.size() > input.size()) __builtin_trap();
  const glysnmp::FileSystemReply reply = glysnmp::ReadFileSystemReply(block.text);
  for (const glysnmp::DirectoryEntry& entry : glysnmp::ReadDirectoryEntries(reply.lines)) {
    if (entry.name.size() > glysnmp::kMostPjlNameBytes) __builtin_trap();
  }
  glysnmp::ReadFileSystemTable(block.text);
  glysnmp::ReadConfigOptions(block.text, "LANGUAGES");
  if (std::optional<std::string_view> upload = glysnmp::ReadUploadBytes(block.text)) {
    if (upload->size() > block.text.size()) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = 1 + data[0] % 64;
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  glysnmp::PjlReplyStream stream;
  for (size_t at = 0; at < input.size(); at += piece) {
    stream.Append(input.substr(at, piece));
    while (std::optional<glysnmp::PjlBlock> block = stream.Next()) ReadBlock(*block, input);
  }
  while (std::optional<glysnmp::PjlBlock> block = stream.Next(true)) ReadBlock(*block, input);
  if (stream.pending() != 0) __builtin_trap();
  return 0;
}
