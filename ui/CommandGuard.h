#pragma once

#include <QString>
#include <exception>
#include <utility>

#include "ui/Prompts.h"

// Runs the part of a user command that touches the catalogue or the file system.
// A failure there ends the command: the error box shows the error's own text and
// the steps after the failing call do not run. Returns false when it failed.
template <typename TSteps>
bool Guarded(TSteps&& steps) {
  try {
    std::forward<TSteps>(steps)();
    return true;
  } catch (const std::exception& error) {
    Prompts::ShowError(QString::fromStdString(error.what()));
    return false;
  }
}
