#include "ui/UserSettings.h"

#include <QSettings>

namespace {

const char kKeepEdits[] = "generation/keepEdits";

QSettings Settings() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, "corvanthel", "corvanthel");
}

}  // namespace

namespace UserSettings {

bool KeepEdits() {
  return Settings().value(kKeepEdits, false).toBool();
}

void SetKeepEdits(bool keep) {
  Settings().setValue(kKeepEdits, keep);
}

}  // namespace UserSettings
