#pragma once

#include <QObject>

class QAction;
class QMenu;
class TWindowContext;

// The menu "项目操作(&P)": projects, classes and members, and the project files. Each command works on
// the window's selection and reloads the views it changed, through the window's context.
class TProjectMenu : public QObject {
  Q_OBJECT

 public:
  // Adds the menu's items to `menu`.
  TProjectMenu(TWindowContext& window, QMenu* menu);

 public slots:
  void F2Click();  // "新建项目(&F)"
  void N1Click();  // "修改项目名称(&X)"
  void D1Click();  // "删除当前项目(&D)"
  void A2Click();  // "添加类(&A)"
  void N2Click();  // "修改类名(&B)"
  void S1Click();  // "删除类(&S)"
  void M1Click();  // "添加成员(&M)"
  void N3Click();  // "修改成员属性(&E)"
  void C1Click();  // "删除成员(&C)"
  void ExportProjectClick();
  void ImportProjectClick();
  void ImportSql1Click();

 private:
  QAction* AddCommand(QMenu* menu, const char* name, const QString& caption, void (TProjectMenu::*handler)());

  TWindowContext& FWindow;
};
