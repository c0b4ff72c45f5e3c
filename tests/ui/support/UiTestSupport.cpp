#include "ui/support/UiTestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <deque>

#include "catalogue/ClassDAO.h"
#include "catalogue/MemberDAO.h"
#include "catalogue/ProjectDAO.h"
#include "support/CatalogueSeed.h"
#include "ui/DialogRunner.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"

TUiWorld::TUiWorld() {
  Prompts::SetScripted(true);
  // The window's remembered settings go to a folder of this test program, never to the
  // user's own, and every test starts without any.
  static QTemporaryDir configFolder;
  qputenv("XDG_CONFIG_HOME", configFolder.path().toLocal8Bit());
  QSettings(QSettings::NativeFormat, QSettings::UserScope, "corvanthel", "corvanthel").clear();
}

TUiWorld::~TUiWorld() {
  Prompts::SetScripted(true);
}

struct TDialogScript::TState {
  std::deque<TAction> actions;
};

TDialogScript::TDialogScript() : FState(std::make_shared<TState>()) {
  DialogRunner::SetRunner([this, state = FState](QDialog& dialog) {
    FOpened << dialog.objectName();
    dialog.show();
    if (state->actions.empty()) {
      QTest::qFail(qPrintable("unexpected dialog " + dialog.objectName()), __FILE__, __LINE__);
    } else {
      const TAction action = std::move(state->actions.front());
      state->actions.pop_front();
      action(dialog);
    }
    if (dialog.isVisible()) dialog.reject();
    return dialog.result();
  });
}

TDialogScript::~TDialogScript() {
  DialogRunner::SetRunner({});
}

void TDialogScript::Expect(TAction action) {
  FState->actions.push_back(std::move(action));
}

int TDialogScript::Pending() const {
  return static_cast<int>(FState->actions.size());
}

// ---- catalogue ----

int Seed::Project(const std::string& name) {
  TProjectDAO().AddProject(name);
  return TDbHelper().GetScalarInt("select max(projectId) from t_project");
}

int Seed::Class(int projectId, const std::string& name, const std::string& friendName) {
  TClassDAO().AddClass(projectId, name, friendName);
  return TDbHelper().GetScalarInt("select max(classId) from t_class");
}

int Seed::Member(int projectId, int classId, const std::string& name, const std::string& type,
                 const std::function<void(TMember&)>& adjust) {
  TMember member = NewMember(projectId, classId, name, type);
  if (adjust) adjust(member);
  TMemberDAO().AddMember(member);
  return TDbHelper().GetScalarInt("select max(memberId) from t_member");
}

void Seed::FailInserts(const std::string& table, const std::string& message) {
  TDbHelper().ExecSql("create trigger fail_insert_" + table + " before insert on " + table +
                      " begin select raise(abort, " + TDbHelper::Quote(message) + "); end");
}

void Seed::FailUpdates(const std::string& table, const std::string& message) {
  TDbHelper().ExecSql("create trigger fail_update_" + table + " before update on " + table +
                      " begin select raise(abort, " + TDbHelper::Quote(message) + "); end");
}

QStringList Read::ProjectNames() {
  QStringList names;
  for (const TNameId& project : TProjectDAO().ListProjects()) names << QString::fromStdString(project.name);
  return names;
}

QStringList Read::ClassNames(int projectId) {
  QStringList names;
  for (const TNameId& aClass : TClassDAO().ListClassesOfProject(projectId))
    names << QString::fromStdString(aClass.name);
  return names;
}

std::unique_ptr<TMember> Read::MemberByName(int classId, const std::string& name) {
  const int id = TDbHelper().GetScalarInt("select memberId from t_member where classId=" + std::to_string(classId) +
                                          " and memberName=" + TDbHelper::Quote(name));
  return id < 0 ? nullptr : TMemberDAO().GetMemberById(id);
}

int Read::MemberCount(int classId) {
  return TDbHelper().GetScalarInt("select count(*) from t_member where classId=" + std::to_string(classId));
}

// ---- widgets ----

void Ui::Trigger(TFormMain& window, const char* actionName) {
  QAction* action = Find<QAction>(&window, actionName);
  if (!action->isEnabled()) QTest::qFail(qPrintable(QString("%1 is disabled").arg(actionName)), __FILE__, __LINE__);
  action->trigger();
}

QStringList Ui::ProjectItems(TFormMain& window) {
  auto* combo = Find<QComboBox>(&window, "CB_Project");
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

QString Ui::SelectedProject(TFormMain& window) {
  return Find<QComboBox>(&window, "CB_Project")->currentText();
}

QStringList Ui::ClassItems(TFormMain& window) {
  auto* list = Find<QListWidget>(&window, "LB_Object");
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
  return items;
}

int Ui::SelectedClassRow(TFormMain& window) {
  auto* list = Find<QListWidget>(&window, "LB_Object");
  const QList<QListWidgetItem*> selected = list->selectedItems();
  return selected.isEmpty() ? -1 : list->row(selected.first());
}

int Ui::GridRowCount(TFormMain& window) {
  return Find<QTableWidget>(&window, "LV_Member")->rowCount();
}

QStringList Ui::GridRow(TFormMain& window, int row) {
  auto* grid = Find<QTableWidget>(&window, "LV_Member");
  QStringList cells;
  for (int column = 0; column < grid->columnCount(); ++column) cells << grid->item(row, column)->text();
  return cells;
}

QStringList Ui::GridNames(TFormMain& window) {
  QStringList names;
  for (int row = 0; row < GridRowCount(window); ++row) names << GridRow(window, row).at(1);
  return names;
}

void Ui::PickProject(TFormMain& window, int index) {
  auto* combo = Find<QComboBox>(&window, "CB_Project");
  // What the drop-down list does when the user picks an entry.
  combo->setCurrentIndex(index);
  emit combo->activated(index);
}

void Ui::ClickClass(TFormMain& window, int row) {
  auto* list = Find<QListWidget>(&window, "LB_Object");
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

void Ui::DoubleClickClass(TFormMain& window, int row) {
  auto* list = Find<QListWidget>(&window, "LB_Object");
  const QPoint at = list->visualItemRect(list->item(row)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

namespace {
QPoint GridCell(QTableWidget* grid, int row) {
  return grid->visualRect(grid->model()->index(row, 1)).center();
}
}  // namespace

void Ui::ClickGridRow(TFormMain& window, int row) {
  auto* grid = Find<QTableWidget>(&window, "LV_Member");
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, GridCell(grid, row));
}

void Ui::DoubleClickGridRow(TFormMain& window, int row) {
  auto* grid = Find<QTableWidget>(&window, "LV_Member");
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, GridCell(grid, row));
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, GridCell(grid, row));
}

void Ui::DoubleClickGridBlank(TFormMain& window) {
  auto* grid = Find<QTableWidget>(&window, "LV_Member");
  const QPoint below(40, grid->viewport()->height() - 5);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, below);
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, below);
}

void Ui::SetText(QDialog& dialog, const char* name, const QString& text) {
  Find<QLineEdit>(&dialog, name)->setText(text);
}

QString Ui::Text(QDialog& dialog, const char* name) {
  return Find<QLineEdit>(&dialog, name)->text();
}

void Ui::SetChecked(QDialog& dialog, const char* name, bool checked) {
  Find<QCheckBox>(&dialog, name)->setChecked(checked);
}

bool Ui::IsChecked(QDialog& dialog, const char* name) {
  return Find<QCheckBox>(&dialog, name)->isChecked();
}

void Ui::PickType(QDialog& dialog, const QString& type) {
  auto* combo = Find<QComboBox>(&dialog, "CB_MemberType");
  const int index = combo->findText(type);
  if (index < 0) QTest::qFail(qPrintable("no type " + type), __FILE__, __LINE__);
  combo->setCurrentIndex(index);
}

QStringList Ui::TypeItems(QDialog& dialog) {
  auto* combo = Find<QComboBox>(&dialog, "CB_MemberType");
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

QString Ui::SelectedType(QDialog& dialog) {
  return Find<QComboBox>(&dialog, "CB_MemberType")->currentText();
}

void Ui::ClickOk(QDialog& dialog) {
  QTest::mouseClick(Find<QPushButton>(&dialog, "Button1"), Qt::LeftButton);
}

void Ui::ClickCancel(QDialog& dialog) {
  QTest::mouseClick(Find<QPushButton>(&dialog, "Button2"), Qt::LeftButton);
}

QStringList Messages() {
  return Prompts::ShownTexts({"message"});
}

QStringList Errors() {
  return Prompts::ShownTexts({"error"});
}
