#include "download/download_check.h"

#include <algorithm>
#include <cstring>
#include <string_view>

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

// A file of another size than the job stores is not this job's: an older
// copy the printer kept when it refused the job, or one it is still
// writing. Either size unknown: the file is taken for the job's.
bool IsThisJobsCopy(const SentResource& sent, uint64_t storedSize) {
  return !sent.storedBytes || storedSize == kSnmpUnknownSize || storedSize == *sent.storedBytes;
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
      case kSnmpFileStored: return IsThisJobsCopy(sent, size) ? Presence::kStored : Presence::kNotStored;
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

  const PrinterRecord& printer_;
  bool tableRead_ = false;
  bool haveTable_ = false;
  std::vector<FontEntry> table_;
  bool pjlAnswers_ = true;
};

}  // namespace

std::vector<Presence> AskPrinterFor(const PrinterRecord& printer, const std::vector<SentResource>& sent,
                                    Clock& clock) {
  std::vector<Presence> answers(sent.size(), Presence::kNotStored);
  PresenceQuestions questions(printer);
  for (int round = 0; round < kPresenceTries; ++round) {
    if (round > 0) {
      if (!questions.Answering() || std::find(answers.begin(), answers.end(), Presence::kNotStored) == answers.end())
        break;
      clock.SleepMs(kPresenceRetryMs);
      questions.Forget();
    }
    for (size_t i = 0; i < sent.size(); ++i) {
      if (answers[i] != Presence::kNotStored) continue;
      // A printer that said "not there" once keeps saying it unless it now
      // finds the file.
      const Presence answer = questions.Ask(sent[i]);
      if (round == 0 || answer == Presence::kStored) answers[i] = answer;
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
