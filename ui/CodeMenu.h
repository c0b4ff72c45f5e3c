#pragma once

#include <QObject>
#include <QString>

class QAction;
class QMenu;
class TGenerationCommand;
class TWindowContext;

// The menu "代码管理(&A)": the table and upgrade scripts, the namespace, the preview and the generation run
// of the window's selected project.
class TCodeMenu : public QObject {
  Q_OBJECT

 public:
  // Adds the menu's items to `menu`.
  TCodeMenu(TWindowContext& window, QMenu* menu);

  // The namespace text handed to the generation run.
  const QString& Namespace() const { return FNamespace; }
  TGenerationCommand& Generation() const { return *FGeneration; }

 public slots:
  void sql1Click();                      // "生成建表sql语句"
  void UpgradeSql1Click();               // "生成升级sql语句(&U)": the script from the site's latest version
  void S2Click();                        // "设置命名空间(&S)"
  void V1Click();                        // "预览代码(&V)..."
  void A1Click();                        // "自动生成代码(&A)"
  void ExportTemplates1Click();          // "导出模板(&T)...": the built-in templates into the user's folder
  void KeepEdits1Toggled(bool checked);  // "保留手工修改(&K)", remembered between starts

 private:
  QAction* AddCommand(QMenu* menu, const char* name, const QString& caption, void (TCodeMenu::*handler)());
  // Says that a run is going on and returns true while one is; the commands that would meet it stop there.
  bool RefusedWhileRunning() const;

  TWindowContext& FWindow;
  QString FNamespace = "corvanthel";
  QAction* KeepEdits1 = nullptr;
  QAction* Pages1 = nullptr;  // "生成管理页面", remembered between starts
  TGenerationCommand* FGeneration = nullptr;
};
