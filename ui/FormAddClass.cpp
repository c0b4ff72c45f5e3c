#include "ui/FormAddClass.h"

#include <QLineEdit>

#include "catalogue/ClassDAO.h"
#include "ui/CommandGuard.h"
#include "ui/Prompts.h"
#include "ui/WindowContext.h"

TAddClassForm::TAddClassForm(TWindowContext* window)
    : TClassFormBase(window, "添加类", "类英文名称:        ", "中文友好名称:         ", QSize(269, 218)) {
  setObjectName("AddClassForm");
}

void TAddClassForm::Button1Click() {
  const QString className = Edt_ClassName->text();
  const QString friendName = Edt_FriendName->text();
  if (className.isEmpty() || friendName.isEmpty()) {
    Prompts::ShowMessage("类名称不能为空!");
    return;
  }
  if (!CheckClassNameShape(className)) return;
  if (!CheckFriendName(friendName)) return;
  Guarded([&] {
    const int projectId = FWindow->SelectedProjectId();
    if (ClassNameTaken(projectId, className, 0)) return;
    TClassDAO().AddClass(projectId, className.toStdString(), friendName.toStdString());
    FWindow->LoadClasses(projectId);
    Prompts::ShowMessage("类名称添加成功！");
    accept();
  });
}
