#include "fonts/font_list_logic.h"

#include <cstdio>

#include "fonts/font_list_ids.h"
#include "fonts/format_text.h"
#include "printers/printer_name.h"
#include "ui/message_boxes.h"
#include "ui/resource_module.h"

using namespace font_list;

namespace {

// Takes over what the library filled and gives the library its array back.
std::vector<FontEntry> TakeFontList(FontList& list) {
  std::vector<FontEntry> entries;
  if (list.count > 0 && list.entries) entries.assign(list.entries, list.entries + list.count);
  SnmpFreeFontList(&list);
  return entries;
}

}  // namespace

int PjlBoundText(int32_t result) {
  switch (result) {
    case kSnmpPjlDeadlinePassed: return kPjlDeadlinePassedText;
    case kSnmpPjlTooManyRequests: return kPjlTooManyRequestsText;
    default: return 0;
  }
}

int FontReadRefusalText(int32_t readResult) {
  switch (readResult) {
    case kSnmpFontsNoFileSystemAccess: return kNoFileSystemAccessText;
    case kSnmpFontsFileSystemLocked: return kPjlPasswordWantedText;
    case kSnmpFontsPjlPasswordWrong: return kPjlPasswordWrongText;
    default: {
      const int bound = PjlBoundText(readResult);
      return bound != 0 ? bound : kNoAnswerText;
    }
  }
}

std::string FontReadRefusalMessage(int32_t readResult) {
  if (readResult <= kSnmpAuthenticationFailed || readResult == kSnmpMalformedAnswer || readResult == kSnmpNoSession)
    return FormatText(LoadResourceString(kNotReadText), SnmpResultText(readResult));
  return LoadResourceString(FontReadRefusalText(readResult));
}

FontListLogic::FontListLogic(FontListHost& host, MessageBoxes& boxes, std::vector<PrinterRecord*> printers)
    : host_(host), boxes_(boxes), printers_(std::move(printers)) {}

bool FontListLogic::Initialize() {
  fonts_.clear();
  if (printers_.empty()) return false;
  view_ = kAllFonts;
  for (const PrinterRecord* record : printers_) printerLines_.push_back(PrinterDisplayName(*record));
  printer_ = 0;
  addFontEnabled_ = printers_[0]->storageOptions != kStorageNone;
  const bool read = ReadFonts(*printers_[0]);
  FillFontRows();
  ShowFontCount(static_cast<int>(fonts_.size()));
  ShowReadRefusal();
  deleteEnabled_ = false;
  return read;
}

// The library tells a printer without fonts (0, an empty list) from one
// that did not answer: with SNMP v2c an agent drops requests with a wrong
// community unanswered, so that is what a failed read says.
bool FontListLogic::ReadFonts(PrinterRecord& printer) {
  FontList list{0, nullptr};
  readResult_ = SnmpGetFontList(&printer, &list);
  const bool read = readResult_ == 0;
  fonts_ = TakeFontList(list);
  if (!read) fonts_.clear();
  return read;
}

void FontListLogic::ShowFontCount(int count) {
  char text[64];
  std::snprintf(text, sizeof text, LoadResourceString(kFontCountText).c_str(), count);
  statusText_ = text;
  if (listCut()) statusText_ += kListCutText;
}

// A read that gave no list says why in the status bar, instead of a font
// count.
void FontListLogic::ShowReadRefusal() {
  if (readResult_ == 0) return;
  statusText_ = FontReadRefusalMessage(readResult_);
}

void FontListLogic::ClearRows() {
  rows_.clear();
  rowToEntry_.clear();
  selectedRows_.clear();
  ++rowsRevision_;
}

void FontListLogic::FillFontRows() {
  ClearRows();
  for (size_t i = 0; i < fonts_.size(); ++i) {
    const FontEntry& entry = fonts_[i];
    if (ViewHides(view_, entry)) continue;
    rows_.push_back({FontRowCells(entry), entry.index});
    rowToEntry_.push_back(static_cast<int>(i));
  }
  ShowFontCount(static_cast<int>(rows_.size()));
}

void FontListLogic::OnViewChanged(int view) {
  if (view < 0 || view >= kFontViewCount) return;
  view_ = view;
  statusText_.clear();
  FillFontRows();
}

void FontListLogic::OnPrinterChanged(int printer) {
  if (printer < 0 || printer >= static_cast<int>(printers_.size())) return;
  printer_ = printer;
  fonts_.clear();
  statusText_.clear();
  ClearRows();
  PrinterRecord& record = *printers_[printer];
  addFontEnabled_ = record.storageOptions != kStorageNone;
  if (!ReadFonts(record)) {
    ShowReadRefusal();
    return;
  }
  FillFontRows();
}

void FontListLogic::OnRowsSelected(std::vector<int> rows) {
  selectedRows_ = std::move(rows);
  deleteEnabled_ = !selectedRows_.empty();
}

bool FontListLogic::IsEnabled(int controlId) const {
  if (controlId == kDeleteButton) return deleteEnabled_;
  if (controlId == kAddFontButton) return addFontEnabled_;
  return true;
}

void FontListLogic::OnDeleteFont() {
  // Rebuilt rows keep the button as it was, with nothing selected.
  if (selectedRows_.empty()) {
    boxes_.Show(kSelectFontsToDelete, MB_OK);
    return;
  }
  std::vector<FontEntry> downloaded;
  bool othersSelected = false;
  for (int row : selectedRows_) {
    if (row < 0 || row >= static_cast<int>(rowToEntry_.size())) continue;
    const FontEntry& entry = fonts_[rowToEntry_[row]];
    if (entry.persistence == kFontDownloaded)
      downloaded.push_back(entry);
    else
      othersSelected = true;
  }
  if (downloaded.empty()) {
    boxes_.Show(kCannotDeletePermanent, MB_OK);
    return;
  }
  if (!othersSelected) {
    if (boxes_.Show(kDeleteQuestion, MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return;
  } else if (boxes_.Show(kSomeArePermanent, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK) {
    return;
  }
  if (host_.RunDeleteFonts(*printers_[printer_], downloaded) > 0) RefreshAfterDeletion();
}

void FontListLogic::RefreshAfterDeletion() {
  const int32_t lastPermanent = FindLastPermanentFont();
  if (lastPermanent == -1 || static_cast<int>(fonts_.size()) == lastPermanentEntry_ + 1) return;
  statusText_.clear();
  RefreshDownloadedFonts(*printers_[printer_], lastPermanent, lastPermanentEntry_);
}

void FontListLogic::OnAddFont() {
  host_.OpenResourceManager(*printers_[printer_]);
  const int32_t lastPermanent = FindLastPermanentFont();
  statusText_.clear();
  RefreshDownloadedFonts(*printers_[printer_], lastPermanent, lastPermanentEntry_);
}

int32_t FontListLogic::FindLastPermanentFont() {
  bool found = false;
  int32_t highest = -1;
  for (size_t i = 0; i < fonts_.size(); ++i) {
    const FontEntry& entry = fonts_[i];
    if (entry.persistence != kFontPermanent) continue;
    if (!found || entry.index > highest) {
      found = true;
      highest = entry.index;
      lastPermanentEntry_ = static_cast<int>(i);
    }
  }
  return highest;
}

void FontListLogic::RefreshDownloadedFonts(PrinterRecord& printer, int32_t afterIndex, int keepUpTo) {
  if (afterIndex == -1) return;
  FontList list{0, nullptr};
  const bool read = SnmpGetFontListFrom(&printer, &list, afterIndex) == 0;
  std::vector<FontEntry> fresh = TakeFontList(list);
  // A read that worked and found nothing after the permanent fonts means
  // every font that followed them is gone; a failed read changes nothing.
  if (!read && fresh.empty()) return;
  if (keepUpTo < -1 || keepUpTo >= static_cast<int>(fonts_.size())) return;
  fonts_.resize(static_cast<size_t>(keepUpTo + 1));
  fonts_.insert(fonts_.end(), fresh.begin(), fresh.end());
  FillFontRows();
}
