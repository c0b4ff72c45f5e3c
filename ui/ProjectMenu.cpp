#include "ui/ProjectMenu.h"

#include <QAction>
#include <QMenu>

#include "catalogue/ClassDAO.h"
#include "catalogue/MemberDAO.h"
#include "catalogue/ProjectDAO.h"
#include "model/NameRules.h"
#include "ui/CommandGuard.h"
#include "ui/DialogRunner.h"
#include "ui/FormAddClass.h"
#include "ui/FormAddMember.h"
#include "ui/FormUpdateClass.h"
#include "ui/FormUpdateMember.h"
#include "ui/ProjectFileCommands.h"
#include "ui/ProjectNameCheck.h"
#include "ui/Prompts.h"
#include "ui/SqlImportCommand.h"
#include "ui/WindowContext.h"

TProjectMenu::TProjectMenu(TWindowContext& window, QMenu* menu) : QObject(menu), FWindow(window) {
  AddCommand(menu, "F2", "新建项目(&F)", &TProjectMenu::F2Click);
  AddCommand(menu, "N1", "修改项目名称(&X)", &TProjectMenu::N1Click);
  AddCommand(menu, "D1", "删除当前项目(&D)", &TProjectMenu::D1Click);
  AddCommand(menu, "A2", "添加类(&A)", &TProjectMenu::A2Click);
  AddCommand(menu, "N2", "修改类名(&B)", &TProjectMenu::N2Click);
  AddCommand(menu, "S1", "删除类(&S)", &TProjectMenu::S1Click);
  AddCommand(menu, "M1", "添加成员(&M)", &TProjectMenu::M1Click);
  AddCommand(menu, "N3", "修改成员属性(&E)", &TProjectMenu::N3Click);
  AddCommand(menu, "C1", "删除成员(&C)", &TProjectMenu::C1Click);
  menu->addSeparator();
  AddCommand(menu, "ExportProject", "导出工程(&O)...", &TProjectMenu::ExportProjectClick);
  AddCommand(menu, "ImportProject", "导入工程(&I)...", &TProjectMenu::ImportProjectClick);
  AddCommand(menu, "ImportSql1", "从SQL脚本导入(&Q)...", &TProjectMenu::ImportSql1Click);
}

QAction* TProjectMenu::AddCommand(QMenu* menu, const char* name, const QString& caption,
                                  void (TProjectMenu::*handler)()) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  connect(action, &QAction::triggered, this, handler);
  return action;
}

void TProjectMenu::F2Click() {
  const QString name = Prompts::InputBox("请输入工程名称", "", "");
  Guarded([&] {
    if (!ProjectNameCheck::CheckNewName(name)) return;
    TProjectDAO().AddProject(name.toStdString());
    FWindow.ReloadProjects(TWindowContext::TProjectPosition::Remembered);
    Prompts::ShowMessage("工程名称添加成功！");
  });
}

void TProjectMenu::N1Click() {
  if (FWindow.SelectedProjectId() < 0) {
    Prompts::ShowMessage("当前未有任何项目被选中!");
    return;
  }
  const QString name = Prompts::InputBox("请输入项目名称", "", "");
  if (name.isEmpty()) {
    Prompts::ShowMessage("工程项目名称不能为空!");
    return;
  }
  if (!ProjectNameCheck::CheckShape(name)) return;
  Guarded([&] {
    // Another project of the same name, without regard to case, would share the generated site's folder
    // wherever names are compared that way.
    const int projectId = FWindow.SelectedProjectId();
    for (const TNameId& other : TProjectDAO().ListProjects())
      if (other.id != projectId && NameRules::SameNameIgnoringCase(other.name, name.toStdString())) {
        Prompts::ShowMessage(NameRules::kProjectNameTakenMessage);
        return;
      }
    TProjectDAO().RenameProject(projectId, name.toStdString());
    Prompts::ShowMessage("工程名称修改成功！");
    FWindow.ReloadProjects(TWindowContext::TProjectPosition::Current);
  });
}

void TProjectMenu::D1Click() {
  if (FWindow.SelectedProjectId() < 0) {
    Prompts::ShowMessage("未有任何项目被选中!");
    return;
  }
  if (!Prompts::Confirm("确认删除当前项目吗?", "删除提示")) return;
  Guarded([this] {
    TProjectDAO().DeleteProject(FWindow.SelectedProjectId());
    Prompts::ShowMessage("删除成功!");
    FWindow.ReloadProjects(TWindowContext::TProjectPosition::First);
  });
}

void TProjectMenu::A2Click() {
  if (FWindow.SelectedProjectId() < 0) {
    Prompts::ShowMessage("当前未有任何项目被选中!");
    return;
  }
  TAddClassForm dialog(&FWindow);
  DialogRunner::Exec(dialog);
}

void TProjectMenu::N2Click() {
  if (FWindow.SelectedClassId() < 0) {
    Prompts::ShowMessage("没有类被选中!");
    return;
  }
  TUpdateClassForm dialog(&FWindow);
  dialog.SetClassId(FWindow.SelectedClassId());
  DialogRunner::Exec(dialog);
}

void TProjectMenu::S1Click() {
  if (FWindow.SelectedClassId() < 0) {
    Prompts::ShowMessage("没有类被选中!");
    return;
  }
  if (!Prompts::Confirm("确认删除此类对象！", "提示")) return;
  Guarded([this] {
    TClassDAO().DeleteClass(FWindow.SelectedClassId());
    FWindow.RemoveSelectedClass();
    Prompts::ShowMessage("类对象删除成功!");
  });
}

void TProjectMenu::M1Click() {
  if (FWindow.SelectedClassId() < 0) {
    Prompts::ShowMessage("请先选择类对象");
    return;
  }
  TAddMemberForm dialog(&FWindow);
  DialogRunner::Exec(dialog);
}

void TProjectMenu::N3Click() {
  const int memberId = FWindow.SelectedMemberId();
  if (memberId < 0) {
    Prompts::ShowMessage("请先选择一个成员");
    return;
  }
  bool exists = false;
  if (!Guarded([&] { exists = TMemberDAO().GetMemberById(memberId) != nullptr; })) return;
  if (!exists) {
    Prompts::ShowMessage("该成员已不存在!");
    return;
  }
  TUpdateMemberForm dialog(&FWindow, memberId);
  DialogRunner::Exec(dialog);
}

void TProjectMenu::C1Click() {
  const int memberId = FWindow.SelectedMemberId();
  if (memberId < 0) {
    Prompts::ShowMessage("请先选择一个成员");
    return;
  }
  if (!Prompts::Confirm("确定删除当前成员属性?", "删除提示")) return;
  Guarded([this, memberId] {
    TMemberDAO().DeleteMember(memberId);
    Prompts::ShowMessage("成员属性删除成功");
    FWindow.ShowMembers(FWindow.SelectedClassId());
  });
}

void TProjectMenu::ExportProjectClick() {
  TProjectFileCommands::ExportProject(FWindow);
}

void TProjectMenu::ImportProjectClick() {
  TProjectFileCommands::ImportProject(FWindow);
}

void TProjectMenu::ImportSql1Click() {
  RunSqlImportCommand(FWindow);
}
