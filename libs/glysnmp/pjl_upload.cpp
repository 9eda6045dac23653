#include "pjl_upload.h"

#include <algorithm>
#include <memory>

#include "pjl_reply.h"

namespace glysnmp {

StoredFile UploadPjlFileHead(const PjlPrinter& printer, std::string_view path, uint32_t bytes, std::string* head) {
  constexpr int32_t kFileNotFound = 3;
  constexpr size_t kReplyOverhead = 1024;  // the reply's header and marker
  head->clear();
  auto breaksQuotes = [](unsigned char c) { return c < 0x20 || c == '"' || c == 0x7F; };
  if (path.empty() || path.size() > kMostPjlNameBytes || std::any_of(path.begin(), path.end(), breaksQuotes))
    return StoredFile::kUnknown;
  std::unique_ptr<PjlClient> client = PjlClient::Open(printer.address, printer.password, printer.settings);
  const std::string request =
      "FSUPLOAD NAME=\"" + std::string(path) + "\" OFFSET=0 SIZE=" + std::to_string(bytes);
  std::optional<std::string> reply = client ? client->Exchange(PjlLine(request), bytes + kReplyOverhead) : std::nullopt;
  if (!reply) return StoredFile::kUnknown;
  if (std::optional<std::string_view> uploaded = ReadUploadBytes(*reply)) {
    head->assign(uploaded->substr(0, bytes));
    return StoredFile::kStored;
  }
  const FileSystemReply refusal = ReadFileSystemReply(*reply);
  return refusal.fileError == kFileNotFound ? StoredFile::kNotStored : StoredFile::kUnknown;
}

}  // namespace glysnmp
