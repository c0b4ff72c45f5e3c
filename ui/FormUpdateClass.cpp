#include "ui/FormUpdateClass.h"

#include <QLineEdit>
#include <QShowEvent>

#include "catalogue/ClassDAO.h"
#include "ui/CommandGuard.h"
#include "ui/Prompts.h"
#include "ui/WindowContext.h"

TUpdateClassForm::TUpdateClassForm(TWindowContext* window)
    : TClassFormBase(window, "类更新", "类英文名称:       ", "中文友好名称:        ", QSize(271, 214)) {
  setObjectName("UpdateClassForm");
}

void TUpdateClassForm::showEvent(QShowEvent* event) {
  TClassFormBase::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TUpdateClassForm::FormShow() {
  Guarded([this] { Edt_FriendName->setText(QString::fromStdString(TClassDAO().GetFriendNameById(FClassId))); });
  Edt_ClassName->setText(FWindow->SelectedClassName());
}

void TUpdateClassForm::Button1Click() {
  const QString className = Edt_ClassName->text();
  const QString friendName = Edt_FriendName->text();
  if (className.isEmpty()) {
    Prompts::ShowMessage("类名称不能为空");
    return;
  }
  if (!CheckClassNameShape(className)) return;
  if (friendName.isEmpty()) {
    Prompts::ShowMessage("友好名称不能为空");
    return;
  }
  if (!CheckFriendName(friendName)) return;
  Guarded([&] {
    if (ClassNameTaken(FWindow->SelectedProjectId(), className, FClassId)) return;
    TClassDAO().UpdateClass(FWindow->SelectedProjectId(), FClassId, className.toStdString(), friendName.toStdString());
    FWindow->SetSelectedClassName(className);
    Prompts::ShowMessage("类名称更新成功");
    accept();
  });
}
