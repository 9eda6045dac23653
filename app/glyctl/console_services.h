// What the program's logic asks of a window, answered on a console: message
// boxes become lines on standard error, the user-interface thread is the
// thread that runs the command, and the conversion question has the answer
// given on the command line.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <thread>

#include "download/resource_job_questions.h"
#include "ui/message_boxes.h"
#include "ui/ui_thread.h"

class Console;

// Writes each box's text and answers it as the command line already did:
// Yes to a Yes/No question, OK to OK/Cancel. Remembers which texts were
// shown. Any thread.
class ConsoleBoxes final : public MessageBoxes {
 public:
  explicit ConsoleBoxes(Console& console, std::set<int> silent = {})
      : console_(console), silent_(std::move(silent)) {}
  int Show(int stringId, unsigned style = MB_OK) override;
  int ShowMessage(const std::string& text, unsigned style = MB_OK) override;
  bool WasShown(int stringId) const;
  // How many boxes were shown so far.
  int shownCount() const;

 private:
  Console& console_;
  const std::set<int> silent_;  // answered without a line
  mutable std::mutex lock_;
  std::set<int> shown_;
  int count_ = 0;
};

// The thread that created it is the user-interface thread; calls posted
// from others wait until it runs RunPending.
class QueuedUiThread final : public UiThread {
 public:
  bool IsCurrent() const override { return std::this_thread::get_id() == owner_; }
  void Post(std::function<void()> call) override;
  // Runs every call queued so far, and those they queue, in order.
  void RunPending();

 private:
  const std::thread::id owner_ = std::this_thread::get_id();
  std::mutex lock_;
  std::deque<std::function<void()>> calls_;
};

// The conversion chosen with --convert, for every TrueType font of the
// run, and the macro ID and form name given on the command line, for every
// macro and form (nothing when not given: the question is cancelled).
class FixedConversionQuestions final : public ResourceJobQuestions {
 public:
  explicit FixedConversionQuestions(ConversionOptions choice, std::optional<std::string> macroId = {},
                                    std::optional<std::string> formName = {})
      : choice_(choice), macroId_(std::move(macroId)), formName_(std::move(formName)) {
    choice_.applyToAll = true;
  }
  std::optional<ConversionOptions> AskConversionOptions(const std::string&) override { return choice_; }
  std::optional<std::string> AskFormMacroName(ResourceNameKind kind, const std::string&) override {
    return kind == ResourceNameKind::kMacroId ? macroId_ : formName_;
  }

 private:
  ConversionOptions choice_;
  std::optional<std::string> macroId_;
  std::optional<std::string> formName_;
};
