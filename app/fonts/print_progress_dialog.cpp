#include "fonts/print_progress_dialog.h"

#include <QProgressBar>

#include "ui/animation_static.h"
#include "ui/single_byte_text.h"

using namespace print_progress;

PrintProgressDialog::PrintProgressDialog(PrintProgress& progress, QWidget* owner)
    : TemplateDialog(kDialog), progress_(progress) {
  if (owner) {
    const QRect over = owner->window()->frameGeometry();
    move(over.center() - rect().center());
  }
  if (auto* animation = ControlAs<AnimationStatic>(kAnimation)) animation->Play();
  Bind(kCancelButton, Notification::Clicked, [this] {
    progress_.Cancel();
    hide();
  });
  progress_.SetChanged([this] { ShowState(); });
  ShowState();
}

PrintProgressDialog::~PrintProgressDialog() { progress_.SetChanged({}); }

void PrintProgressDialog::ShowState() {
  setWindowTitle(ShownFromSingleByte(progress_.title()));
  SetControlText(kPrintingText, ShownFromSingleByte(progress_.printingText()));
  SetControlText(kPageText, ShownFromSingleByte(progress_.pageText()));
  SetControlText(kPercentText, ShownFromSingleByte(progress_.percentText()));
  if (auto* bar = ControlAs<QProgressBar>(kProgressBar)) {
    bar->setRange(0, progress_.barRange());
    bar->setValue(progress_.barPosition());
  }
  // The job keeps the thread busy between its pauses: paint now.
  if (isVisible()) repaint();
}
