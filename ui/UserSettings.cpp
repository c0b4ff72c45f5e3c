#include "ui/UserSettings.h"

#include <QSettings>

namespace {

const char kKeepEdits[] = "generation/keepEdits";
const char kGeneratePages[] = "generation/pages";

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

bool GeneratePages() {
  return Settings().value(kGeneratePages, false).toBool();
}

void SetGeneratePages(bool pages) {
  Settings().setValue(kGeneratePages, pages);
}

}  // namespace UserSettings
