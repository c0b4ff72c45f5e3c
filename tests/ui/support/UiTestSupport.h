#pragma once

// Helpers shared by the window tests: a fresh catalogue with scripted prompts per
// test, catalogue seeding and read-back, widgets found by objectName, real mouse
// clicks on the views, and a script for the dialogs the main window opens.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "model/Member.h"
#include "support/TempCatalogue.h"

class QWidget;
class TFormMain;

// One test's world: its own catalogue folder, prompts that never block and record
// what they showed, and dialogs run by TDialogScript.
class TUiWorld {
 public:
  TUiWorld();
  ~TUiWorld();
  const TTempCatalogue& Catalogue() const { return FCatalogue; }

 private:
  TTempCatalogue FCatalogue;
};

// Drives the dialogs the main window opens. Each opened dialog is shown (not
// exec'd) and handed to the next queued action; when the action returns and the
// dialog is still open, it is closed as the user would close its window.
class TDialogScript {
 public:
  using TAction = std::function<void(QDialog& dialog)>;

  TDialogScript();
  ~TDialogScript();
  TDialogScript(const TDialogScript&) = delete;
  TDialogScript& operator=(const TDialogScript&) = delete;

  void Expect(TAction action);
  // The objectNames of the dialogs opened so far, in order.
  const QStringList& Opened() const { return FOpened; }
  // Actions queued but never used: a dialog the test expected did not open.
  int Pending() const;

 private:
  struct TState;
  std::shared_ptr<TState> FState;
  QStringList FOpened;
};

// ---- catalogue ----
namespace Seed {
int Project(const std::string& name);
int Class(int projectId, const std::string& name, const std::string& friendName = "友好名称");

// A member with the given type; flags are set by the callback on the record.
int Member(int projectId, int classId, const std::string& name, const std::string& type,
           const std::function<void(TMember&)>& adjust = {});
// Makes every later insert into the table fail with this message.
void FailInserts(const std::string& table, const std::string& message);
void FailUpdates(const std::string& table, const std::string& message);
}  // namespace Seed

namespace Read {
QStringList ProjectNames();
QStringList ClassNames(int projectId);
std::unique_ptr<TMember> MemberByName(int classId, const std::string& name);
int MemberCount(int classId);
}  // namespace Read

// ---- widgets ----
template <typename T>
T* Find(const QObject* parent, const char* name) {
  T* child = parent->findChild<T*>(QString::fromLatin1(name));
  if (child == nullptr) qFatal("no child widget named %s", name);
  return child;
}

namespace Ui {
void Trigger(TFormMain& window, const char* actionName);
QStringList ProjectItems(TFormMain& window);
QString SelectedProject(TFormMain& window);
QStringList ClassItems(TFormMain& window);
// -1 when no class item is selected.
int SelectedClassRow(TFormMain& window);
int GridRowCount(TFormMain& window);
QStringList GridRow(TFormMain& window, int row);
// The member names shown in the grid, top to bottom.
QStringList GridNames(TFormMain& window);

// Real mouse input, as a user gives it.
void PickProject(TFormMain& window, int index);
void ClickClass(TFormMain& window, int row);
void DoubleClickClass(TFormMain& window, int row);
void ClickGridRow(TFormMain& window, int row);
void DoubleClickGridRow(TFormMain& window, int row);
void DoubleClickGridBlank(TFormMain& window);

// Dialog controls.
void SetText(QDialog& dialog, const char* name, const QString& text);
QString Text(QDialog& dialog, const char* name);
void SetChecked(QDialog& dialog, const char* name, bool checked);
bool IsChecked(QDialog& dialog, const char* name);
void PickType(QDialog& dialog, const QString& type);
QStringList TypeItems(QDialog& dialog);
QString SelectedType(QDialog& dialog);
void ClickOk(QDialog& dialog);
void ClickCancel(QDialog& dialog);
}  // namespace Ui

// What the prompts showed, by kind.
QStringList Messages();
QStringList Errors();
