#include "ui/Prompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QPointer>
#include <QQueue>
#include <QUrl>
#include <optional>

namespace {

struct TScript {
  bool scripted = false;
  QQueue<bool> confirms;
  QQueue<int> choices;
  QString snapshotFolder;
  QQueue<std::optional<QString>> inputs;
  QQueue<QString> saveNames;
  QQueue<QString> openNames;
  bool openFails = false;
  QList<Prompts::TShown> shown;
};

TScript& Script() {
  static TScript script;
  return script;
}

void Record(const QString& kind, const QString& caption, const QString& text,
            Prompts::TIcon icon = Prompts::TIcon::None) {
  Script().shown.append({kind, caption, text, icon, {}, {}});
}

QWidget* Parent() {
  return QApplication::activeWindow();
}

// Gives activation and keyboard focus back to the window that was active when a
// box opened. A window manager does not always do so by itself, and then the
// keyboard does nothing until the user clicks the window.
class TActivationKeeper {
 public:
  TActivationKeeper() : FWindow(Parent()) {}
  ~TActivationKeeper() {
    if (FWindow && FWindow->isVisible()) {
      FWindow->activateWindow();
    }
  }

 private:
  QPointer<QWidget> FWindow;
};

QString ApplicationTitle() {
  return QApplication::applicationDisplayName();
}

// In scripted mode with a snapshot folder, the box is laid out as it would be shown and saved as a picture.
void Snapshot(QMessageBox& box, const QString& kind) {
  if (Script().snapshotFolder.isEmpty()) return;
  static int snapshots = 0;  // numbered across tests, so that none replaces another's
  box.show();
  QApplication::processEvents();
  box.grab().save(QString("%1/%2-%3.png").arg(Script().snapshotFolder, kind).arg(++snapshots));
  box.hide();
}

}  // namespace

void Prompts::ShowMessage(const QString& text) {
  Record("message", ApplicationTitle(), text);
  if (Script().scripted) return;
  const TActivationKeeper keeper;
  QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), text, QMessageBox::Ok, Parent());
  box.exec();
}

void Prompts::ShowBox(const QString& text, const QString& caption, TIcon icon) {
  Record("box", caption, text, icon);
  if (Script().scripted && Script().snapshotFolder.isEmpty()) return;
  const TActivationKeeper keeper;
  QMessageBox box(Parent());
  box.setWindowTitle(caption);
  box.setText(text);
  box.setStandardButtons(QMessageBox::Ok);
  switch (icon) {
    case TIcon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case TIcon::Warning:
      box.setIcon(QMessageBox::Warning);
      break;
    case TIcon::Error:
      box.setIcon(QMessageBox::Critical);
      break;
    case TIcon::None:
      break;
  }
  if (Script().scripted) return Snapshot(box, "box");
  box.exec();
}

void Prompts::ShowError(const QString& text) {
  Record("error", ApplicationTitle(), text, TIcon::Error);
  if (Script().scripted) return;
  const TActivationKeeper keeper;
  QMessageBox::critical(Parent(), ApplicationTitle(), text, QMessageBox::Ok);
}

bool Prompts::Confirm(const QString& text, const QString& caption) {
  Record("confirm", caption, text, TIcon::Information);
  if (Script().scripted) return !Script().confirms.isEmpty() && Script().confirms.dequeue();
  const TActivationKeeper keeper;
  QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok | QMessageBox::Cancel, Parent());
  return box.exec() == QMessageBox::Ok;
}

int Prompts::Choose(const QString& text, const QString& caption, const QStringList& buttons) {
  Record("choice", caption, text, TIcon::Warning);
  Script().shown.last().buttons = buttons;
  const int cancel = static_cast<int>(buttons.size()) - 1;
  if (Script().scripted && Script().snapshotFolder.isEmpty())
    return Script().choices.isEmpty() ? cancel : Script().choices.dequeue();
  const TActivationKeeper keeper;
  QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::NoButton, Parent());
  QList<QAbstractButton*> added;
  for (int i = 0; i < buttons.size(); ++i)
    added << box.addButton(buttons[i], i == cancel ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
  if (cancel >= 0) box.setEscapeButton(added[cancel]);
  if (Script().scripted) {
    Snapshot(box, "choice");
    return Script().choices.isEmpty() ? cancel : Script().choices.dequeue();
  }
  box.exec();
  const int chosen = static_cast<int>(added.indexOf(box.clickedButton()));
  return chosen < 0 ? cancel : chosen;
}

QString Prompts::InputBox(const QString& caption, const QString& prompt, const QString& defaultText) {
  return AskLine(caption, prompt, defaultText).value_or(defaultText);
}

std::optional<QString> Prompts::AskLine(const QString& caption, const QString& prompt, const QString& defaultText) {
  Record("input", caption, prompt);
  Script().shown.last().proposed = defaultText;
  if (Script().scripted) return Script().inputs.isEmpty() ? std::nullopt : Script().inputs.dequeue();
  const TActivationKeeper keeper;
  bool ok = false;
  const QString typed = QInputDialog::getText(Parent(), caption, prompt, QLineEdit::Normal, defaultText, &ok);
  if (!ok) return std::nullopt;
  return typed;
}

QString Prompts::AskSaveFileName(const QString& caption, const QString& suggestedPath, const QString& filter) {
  Record("save", caption, suggestedPath);
  if (Script().scripted) return Script().saveNames.isEmpty() ? QString() : Script().saveNames.dequeue();
  const TActivationKeeper keeper;
  return QFileDialog::getSaveFileName(Parent(), caption, suggestedPath, filter);
}

QString Prompts::AskOpenFileName(const QString& caption, const QString& folder, const QString& filter) {
  Record("openfile", caption, folder);
  if (Script().scripted) return Script().openNames.isEmpty() ? QString() : Script().openNames.dequeue();
  return QFileDialog::getOpenFileName(Parent(), caption, folder, filter);
}

bool Prompts::OpenWithShell(const QString& target) {
  Record("open", QString(), target);
  if (Script().scripted) return !Script().openFails;
  const QUrl url = target.contains("://") ? QUrl(target) : QUrl::fromLocalFile(target);
  return QDesktopServices::openUrl(url);
}

void Prompts::OpenOrTell(const QString& target, const QString& what) {
  if (OpenWithShell(target)) return;
  // The user asked for it, so say where it is instead of doing nothing.
  ShowMessage(QString("无法自动打开%1，请手工打开:\n%2").arg(what, QDir::toNativeSeparators(target)));
}

void Prompts::SetScripted(bool scripted) {
  Script() = TScript();
  Script().scripted = scripted;
}

bool Prompts::IsScripted() {
  return Script().scripted;
}
void Prompts::QueueConfirm(bool ok) {
  Script().confirms.enqueue(ok);
}
void Prompts::QueueChoice(int index) {
  Script().choices.enqueue(index);
}
void Prompts::SetSnapshotFolder(const QString& folder) {
  Script().snapshotFolder = folder;
}
void Prompts::QueueInput(const QString& typed) {
  Script().inputs.enqueue(typed);
}
void Prompts::QueueInputCancel() {
  Script().inputs.enqueue(std::nullopt);
}
void Prompts::QueueSaveFileName(const QString& path) {
  Script().saveNames.enqueue(path);
}
void Prompts::QueueOpenFileName(const QString& path) {
  Script().openNames.enqueue(path);
}
void Prompts::SetOpenFails(bool fails) {
  Script().openFails = fails;
}
QList<Prompts::TShown> Prompts::Shown() {
  return Script().shown;
}

QStringList Prompts::ShownTexts(const QStringList& kinds) {
  QStringList texts;
  for (const TShown& shown : Script().shown)
    if (kinds.isEmpty() || kinds.contains(shown.kind)) texts << shown.text;
  return texts;
}

void Prompts::ClearShown() {
  Script().shown.clear();
}

int Prompts::PendingAnswers() {
  return static_cast<int>(Script().confirms.size() + Script().choices.size() + Script().inputs.size() + Script().saveNames.size() +
                          Script().openNames.size());
}
