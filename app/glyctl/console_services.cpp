#include "glyctl/console_services.h"

#include "glyctl/console.h"
#include "ui/resource_module.h"

namespace {

// Yes to a Yes/No question, OK to the rest.
int AnswerOf(unsigned style) {
  switch (style & 0x0Fu) {
    case MB_YESNO:
    case MB_YESNOCANCEL: return IDYES;
    default: return IDOK;
  }
}

}  // namespace

int ConsoleBoxes::Show(int stringId, unsigned style) {
  {
    const std::lock_guard guard(lock_);
    shown_.insert(stringId);
    ++count_;
  }
  if (!silent_.count(stringId)) console_.Message(LoadResourceString(stringId));
  return AnswerOf(style);
}

int ConsoleBoxes::ShowMessage(const std::string& text, unsigned style) {
  {
    const std::lock_guard guard(lock_);
    ++count_;
  }
  console_.Message(text);
  return AnswerOf(style);
}

bool ConsoleBoxes::WasShown(int stringId) const {
  const std::lock_guard guard(lock_);
  return shown_.count(stringId) != 0;
}

int ConsoleBoxes::shownCount() const {
  const std::lock_guard guard(lock_);
  return count_;
}

void QueuedUiThread::Post(std::function<void()> call) {
  const std::lock_guard guard(lock_);
  calls_.push_back(std::move(call));
}

void QueuedUiThread::RunPending() {
  for (;;) {
    std::function<void()> call;
    {
      const std::lock_guard guard(lock_);
      if (calls_.empty()) return;
      call = std::move(calls_.front());
      calls_.pop_front();
    }
    call();
  }
}
