#pragma once

#include <functional>

class QDialog;

// Shows the program's dialogs modally. Tests install their own runner, which shows
// the dialog, drives its widgets and returns, so no nested event loop is needed.
namespace DialogRunner {

using TRunner = std::function<int(QDialog& dialog)>;

// Runs the dialog until it is closed and makes the window that owns it active again;
// returns its result (QDialog::Accepted or Rejected).
int Exec(QDialog& dialog);
// An empty runner restores the normal modal exec().
void SetRunner(TRunner runner);

}  // namespace DialogRunner
