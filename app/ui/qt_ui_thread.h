// The user-interface thread is the thread of the QApplication; posted calls
// run from its event loop.
#pragma once

#include "ui/ui_thread.h"

class QtUiThread final : public UiThread {
 public:
  bool IsCurrent() const override;
  void Post(std::function<void()> call) override;
};
