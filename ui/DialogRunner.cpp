#include "ui/DialogRunner.h"

#include <QDialog>
#include <QPointer>

namespace {

DialogRunner::TRunner& Runner() {
  static DialogRunner::TRunner runner;
  return runner;
}

// A dialog's last box belongs to the dialog, which closes right after it; a window
// manager then may leave no window active. The window that opened the dialog gets
// activation and its keyboard focus back, so its menu keys work at once.
void ActivateOwner(QWidget* owner) {
  if (owner == nullptr || !owner->isVisible()) return;
  owner->activateWindow();
}

}  // namespace

int DialogRunner::Exec(QDialog& dialog) {
  const QPointer<QWidget> owner = dialog.parentWidget() != nullptr ? dialog.parentWidget()->window() : nullptr;
  const int result = Runner() ? Runner()(dialog) : dialog.exec();
  ActivateOwner(owner);
  return result;
}

void DialogRunner::SetRunner(TRunner runner) {
  Runner() = std::move(runner);
}
