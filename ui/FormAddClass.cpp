#include "ui/FormAddClass.h"

#include <QLineEdit>

#include "catalogue/ClassDAO.h"
#include "ui/CommandGuard.h"
#include "ui/MainForm.h"
#include "ui/NameRules.h"
#include "ui/Prompts.h"

TAddClassForm::TAddClassForm(TFormMain* formMain)
    : TClassFormBase(formMain, "添加类", "类英文名称:        ", "中文友好名称:         ", QSize(269, 218)) {
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
  if (!NameRules::CanEncodeGbk(friendName)) {
    Prompts::ShowMessage(NameRules::kGbkMessage);
    return;
  }
  Guarded([&] {
    const int projectId = FFormMain->SelectedProjectId();
    if (TClassDAO().CountClassesByName(projectId, className.toStdString()) > 0) {
      Prompts::ShowMessage("该类名称已经存在!");
      return;
    }
    TClassDAO().AddClass(projectId, className.toStdString(), friendName.toStdString());
    FFormMain->LoadClasses(projectId);
    Prompts::ShowMessage("类名称添加成功！");
    accept();
  });
}
