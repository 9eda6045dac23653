#include "download/download_check.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "download/download_job.h"
#include "printers/clock.h"
#include "snmp/contract/glysnmp.h"

namespace {

// A PCL descriptor holds 16 bytes of name, padded with blanks.
constexpr size_t kPclNameBytes = 16;

std::string_view ListedAs(std::string_view name, SentKind kind) {
  if (kind == SentKind::kPclFont) name = name.substr(0, kPclNameBytes);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  return name;
}

bool Lists(const FontEntry& entry, const SentResource& sent) {
  const int32_t type = sent.kind == SentKind::kPclFont ? kFontTypePcl : kFontTypePostScript;
  const int32_t location = sent.location == kFlashMemory ? kFontInFlash : kFontOnHardDisk;
  if (entry.fontType != type || entry.location != location) return false;
  const std::string_view name(entry.name, strnlen(entry.name, sizeof entry.name));
  return ListedAs(name, sent.kind) == ListedAs(sent.listedName, sent.kind);
}

// False when the printer has no font table or did not give it.
bool ReadFontTable(const PrinterRecord& printer, std::vector<FontEntry>& table) {
  PrinterRecord asked = printer;
  FontList list{0, nullptr};
  const bool read = SnmpGetFontTable(&asked, &list) == 0;
  table.assign(list.entries, list.entries + (read ? std::max(list.count, 0) : 0));
  SnmpFreeFontList(&list);
  return read;
}

// Whether the first bytes the printer holds are the job's: as many as the
// job stores there (a shorter file is not its copy), and the same once line
// ends are counted alike, since a printer may keep a CR the job reckoned as
// a line end.
bool HeadIsTheJobs(const SentResource& sent, std::string_view uploaded) {
  return uploaded.size() == sent.storedHead.size() && sent.storedHead.starts_with(WithLineFeeds(uploaded));
}

class PresenceQuestions {
 public:
  explicit PresenceQuestions(const PrinterRecord& printer) : printer_(printer) {}

  Presence Ask(const SentResource& sent) {
    // The font table lists fonts only; macros and forms are files.
    if (IsFont(sent.kind) && HasFontTable()) {
      const bool listed =
          std::any_of(table_.begin(), table_.end(), [&](const FontEntry& entry) { return Lists(entry, sent); });
      return listed ? Presence::kStored : Presence::kNotStored;
    }
    // A printer that cannot be asked for one file cannot for the next: it is
    // not kept waiting for each.
    if (!pjlAnswers_ || sent.printerPath.empty()) return Presence::kUnknown;
    uint64_t size = kSnmpUnknownSize;
    switch (SnmpQueryStoredFileSize(printer_.address, sent.printerPath.c_str(), &size)) {
      case kSnmpFileStored: return JudgeCopy(sent, size);
      case kSnmpFileNotStored: return Presence::kNotStored;
      default: break;
    }
    pjlAnswers_ = false;
    return Presence::kUnknown;
  }

  // Whether asking again can change anything: the printer gave its font
  // table, or answers over PJL.
  bool Answering() const { return haveTable_ || pjlAnswers_; }
  // Read again for the next round: what was missing may have come since.
  void Forget() { tableRead_ = false; }

 private:
  bool HasFontTable() {
    if (!tableRead_) {
      haveTable_ = ReadFontTable(printer_, table_);
      tableRead_ = true;
    }
    return haveTable_;
  }

  // A file of another size than the job stores is not this job's: an older
  // copy the printer kept when it refused the job, or one it is still
  // writing. Where the printer gives no size, the job's first bytes tell;
  // without those the file may be anything.
  Presence JudgeCopy(const SentResource& sent, uint64_t size) {
    if (!sent.storedBytes) return Presence::kStored;
    if (size != kSnmpUnknownSize) return size == *sent.storedBytes ? Presence::kStored : Presence::kNotStored;
    if (sent.storedHead.empty()) return Presence::kUnknown;
    std::string head(sent.storedHead.size(), '\0');
    uint32_t length = 0;
    switch (SnmpUploadStoredFileHead(printer_.address, sent.printerPath.c_str(), head.data(),
                                     static_cast<uint32_t>(head.size()), &length)) {
      case kSnmpFileStored:
        head.resize(std::min<size_t>(length, head.size()));
        return HeadIsTheJobs(sent, head) ? Presence::kStored : Presence::kNotStored;
      case kSnmpFileNotStored: return Presence::kNotStored;
      default: return Presence::kUnknown;
    }
  }

  const PrinterRecord& printer_;
  bool tableRead_ = false;
  bool haveTable_ = false;
  std::vector<FontEntry> table_;
  bool pjlAnswers_ = true;
};

}  // namespace

uint32_t DownloadCheckDeadlineMs() {
  uint32_t seconds = kDefaultCheckSeconds;
  if (const char* text = std::getenv("GLY_DOWNLOAD_CHECK_SECONDS")) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (end != text && *end == '\0' && *text != '-' && value <= kMostCheckSeconds)
      seconds = static_cast<uint32_t>(value);
  }
  return seconds * 1000;
}

std::vector<Presence> AskPrinterFor(const PrinterRecord& printer, const std::vector<SentResource>& sent,
                                    Clock& clock, uint32_t deadlineMs) {
  std::vector<Presence> answers(sent.size(), Presence::kNotStored);
  PresenceQuestions questions(printer);
  const uint64_t start = clock.NowMs();
  uint32_t pause = kFirstCheckPauseMs;
  for (bool first = true;; first = false) {
    if (!first) {
      const uint64_t waited = clock.NowMs() - start;
      if (!questions.Answering() || waited >= deadlineMs ||
          std::find(answers.begin(), answers.end(), Presence::kNotStored) == answers.end())
        break;
      clock.SleepMs(static_cast<uint32_t>(std::min<uint64_t>(pause, deadlineMs - waited)));
      pause = std::min(pause * 2, kLongestCheckPauseMs);
      questions.Forget();
    }
    for (size_t i = 0; i < sent.size(); ++i) {
      if (answers[i] != Presence::kNotStored) continue;
      // A printer that said "not there" once keeps saying it unless it now
      // finds the file.
      const Presence answer = questions.Ask(sent[i]);
      if (first || answer == Presence::kStored) answers[i] = answer;
    }
  }
  return answers;
}

Presence PresenceOfAll(const std::vector<Presence>& parts) {
  if (parts.empty()) return Presence::kUnknown;
  if (std::find(parts.begin(), parts.end(), Presence::kNotStored) != parts.end()) return Presence::kNotStored;
  if (std::find(parts.begin(), parts.end(), Presence::kUnknown) != parts.end()) return Presence::kUnknown;
  return Presence::kStored;
}
