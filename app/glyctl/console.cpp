#include "glyctl/console.h"

#include <algorithm>
#include <string_view>

#include "text/shown_text.h"

namespace {

constexpr int kBarWidth = 30;

}  // namespace

bool ShowsProgress(bool errIsTerminal, const char* term) {
  return errIsTerminal && term != nullptr && *term != '\0' && std::string_view(term) != "dumb";
}

void Console::Message(const std::string& text) {
  const std::lock_guard guard(lock_);
  ClearBar();
  // Messages name files and printers and quote what printers said.
  err_ << "glyctl: " << ShownUtf8(text) << '\n';
  DrawBar();
  err_.flush();
}

void Console::StartProgress(int total, const std::string& label) {
  ShowLine(std::max(total, 0), label, total > 0);
}

void Console::ShowActivity(const std::string& label) { ShowLine(0, label, true); }

void Console::ShowLine(int total, const std::string& label, bool wanted) {
  const std::lock_guard guard(lock_);
  ClearBar();
  total_ = total;
  done_ = 0;
  label_ = label;
  barShown_ = terminal_ && wanted;
  DrawBar();
}

void Console::Advance(int steps) {
  const std::lock_guard guard(lock_);
  if (!barShown_ || total_ == 0) return;
  done_ = std::min(total_, done_ + steps);
  DrawBar();
}

void Console::EndProgress() {
  const std::lock_guard guard(lock_);
  ClearBar();
  barShown_ = false;
}

void Console::DrawBar() {
  if (!barShown_) return;
  if (total_ == 0) {
    err_ << '\r' << label_ << " ...";
    err_.flush();
    return;
  }
  const int filled = done_ * kBarWidth / total_;
  err_ << '\r' << label_ << " [" << std::string(static_cast<size_t>(filled), '#')
       << std::string(static_cast<size_t>(kBarWidth - filled), ' ') << "] " << done_ << '/' << total_;
  err_.flush();
}

void Console::ClearBar() {
  // Erase the line the bar stands on (ANSI "erase in line").
  if (barShown_) err_ << "\r\x1b[K";
}
