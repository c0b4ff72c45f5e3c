#include "ui/FormUpdateMember.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "catalogue/MemberDAO.h"
#include "ui/CommandGuard.h"

TUpdateMemberForm::TUpdateMemberForm(TWindowContext* window, int memberId)
    : TMemberFormBase(window, "更新成员属性", QSize(372, 320)), FMemberId(memberId) {
  setObjectName("UpdateMemberForm");
  FormCreate();
}

void TUpdateMemberForm::FormCreate() {
  BuildTypeList();
  Guarded([this] {
    const std::unique_ptr<TMember> member = TMemberDAO().GetMemberById(FMemberId);
    // The main window opens this dialog only for a member that exists.
    if (!member) return;
    Edt_MemberName->setText(QString::fromStdString(member->GetMemberName()));
    // A type naming a class that is gone matches no item, and then none is selected.
    CB_MemberType->setCurrentIndex(CB_MemberType->findText(QString::fromStdString(member->GetMemberType())));
    Edt_MemberLength->setText(QString::number(member->GetMemberLength()));
    CB_MemberIsMust->setChecked(member->GetMemberIsMust() == 1);
    CB_QueryFlag->setChecked(member->GetQueryFlag() == 1);
    CB_MemberIsPri->setChecked(member->GetMemberIsPri() == 1);
    CB_MemberIsDisplay->setChecked(member->GetMemberIsDisplay() == 1);
    CB_MemberQueryDisplay->setChecked(member->GetMemberQueryDisplay() == 1);
    Edt_MemberComment->setText(QString::fromStdString(member->GetMemberComment()));
  });
}

void TUpdateMemberForm::Store(const TMember& member) {
  TMemberDAO().UpdateMember(member);
}

QString TUpdateMemberForm::SuccessMessage() const {
  return "类成员属性更新成功!";
}
