#include "ui/DialogRunner.h"

#include <QDialog>

namespace {

DialogRunner::TRunner& Runner() {
  static DialogRunner::TRunner runner;
  return runner;
}

}  // namespace

int DialogRunner::Exec(QDialog& dialog) {
  if (Runner()) return Runner()(dialog);
  return dialog.exec();
}

void DialogRunner::SetRunner(TRunner runner) {
  Runner() = std::move(runner);
}
