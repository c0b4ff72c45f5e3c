#pragma once

#include <QDialog>
#include <QString>
#include <string>

class QAction;
class QLayout;
class QMenu;
class QPlainTextEdit;

// The window "数据库建表sql语句": shows the SQL Server table script of one project
// in an editable memo, built from the catalogue each time the window is shown.
// The user copies the script from the memo or saves it to a file.
class TDataBaseSqlForm : public QDialog {
  Q_OBJECT

 public:
  explicit TDataBaseSqlForm(QWidget* parent = nullptr);

  // Opens a fresh window for the project, modal over the parent, and discards it when closed.
  static void ShowForProject(QWidget* parent, int projectId);

  void SetProjectId(int value) { FProjectId = value; }
  // The memo's context menu: the usual editing entries and "保存为文件(&S)...". The caller owns it.
  QMenu* CreateMemoContextMenu();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  // A window that shows another script (the upgrade script) gives its text, the name its file is proposed
  // under (without folder and extension), and a row of its own controls below the memo.
  virtual std::string BuildText();
  virtual QString SuggestedBaseName() const;
  void AddRowBelowMemo(QLayout* row);
  QPlainTextEdit* Memo() const { return Memo_Sql; }

 protected slots:
  // Fills the memo with BuildText(); a failure shows the error and leaves the memo empty.
  void FormShow();

 private slots:
  void Memo_SqlContextMenu(const QPoint& position);
  void SaveToFile1Click();

 private:
  // True when the key was taken (select all), so the memo does not also type it.
  bool Memo_SqlKeyDown(int key, Qt::KeyboardModifiers shift);
  QString SuggestedFileName() const;

  QPlainTextEdit* Memo_Sql;
  QAction* SaveToFile1;
  int FProjectId = 0;
};
