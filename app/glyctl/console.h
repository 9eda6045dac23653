// glyctl's two output streams: results on standard output, messages and the
// progress bar on standard error. The bar is drawn only when standard error
// is a terminal; a message clears it first and it is drawn again after.
//
// Any thread may call every function; one lock keeps lines whole.
#pragma once

#include <mutex>
#include <ostream>
#include <string>

// Whether standard error can show the bar: a terminal that moves the
// cursor back and erases a line (not TERM=dumb, nor no TERM at all).
bool ShowsProgress(bool errIsTerminal, const char* term);

class Console {
 public:
  Console(std::ostream& out, std::ostream& err, bool errIsTerminal)
      : out_(out), err_(err), terminal_(errIsTerminal) {}
  ~Console() { EndProgress(); }
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  std::ostream& out() { return out_; }
  // "glyctl: `text`" on standard error.
  void Message(const std::string& text);

  // A bar of `total` steps under `label`; replaces the one shown.
  void StartProgress(int total, const std::string& label);
  // A line naming work whose length nobody knows ahead, such as a search
  // the SNMP library makes in one call; replaces the bar shown.
  void ShowActivity(const std::string& label);
  void Advance(int steps = 1);
  // Clears the bar's line.
  void EndProgress();
  bool terminal() const { return terminal_; }

 private:
  void ShowLine(int total, const std::string& label, bool wanted);
  void DrawBar();
  void ClearBar();

  std::mutex lock_;
  std::ostream& out_;
  std::ostream& err_;
  const bool terminal_;
  bool barShown_ = false;
  int total_ = 0;  // 0 with the bar shown: an activity line
  int done_ = 0;
  std::string label_;
};
