// What a printer answers over IPP, read by libcups as the job port reads it,
// and what the job port takes of it: keywords, formats, the job's id and
// state. Nothing may crash, and no text taken from the answer holds a
// control character; the shown text of any bytes is valid UTF-8 without
// controls or bidi overrides, and showing it again changes nothing.
#include <cups/ipp.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "download/ipp_answer.h"
#include "text/shown_text.h"

namespace {

struct Bytes {
  const uint8_t* data;
  size_t left;
};

ssize_t ReadBytes(void* source, ipp_uchar_t* buffer, size_t wanted) {
  auto* bytes = static_cast<Bytes*>(source);
  const size_t length = wanted < bytes->left ? wanted : bytes->left;
  std::memcpy(buffer, bytes->data, length);
  bytes->data += length;
  bytes->left -= length;
  return static_cast<ssize_t>(length);
}

void MustHaveNoControls(const std::string& text) {
  for (const char c : text) {
    const auto byte = static_cast<uint8_t>(c);
    if (byte < 0x20 || (byte >= 0x7F && byte <= 0x9F)) std::abort();
  }
}

void MustBeShownUtf8(const std::string& text) {
  const std::string shown = ShownUtf8(text);
  if (ShownUtf8(shown) != shown) std::abort();
  if (shown.find("\xE2\x80\xAE") != std::string::npos || shown.find("\xC2\x9B") != std::string::npos) std::abort();
  for (const char c : shown)
    if (static_cast<uint8_t>(c) < 0x20 || c == 0x7F) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MustBeShownUtf8(std::string(reinterpret_cast<const char*>(data), size));
  Bytes bytes{data, size};
  ipp_t* answer = ippNew();
  if (ippReadIO(&bytes, ReadBytes, 1, nullptr, answer) == IPP_STATE_DATA) {
    MustHaveNoControls(IppKeywords(answer, "job-state-reasons"));
    MustHaveNoControls(IppKeywords(answer, "printer-state-reasons"));
    const std::string format = ChooseDocumentFormat(answer, "application/vnd.hp-PCL");
    if (format.empty()) std::abort();
    IppJobId(answer);
    IppJobState(answer);
  }
  ippDelete(answer);
  return 0;
}
