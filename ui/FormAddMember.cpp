#include "ui/FormAddMember.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "catalogue/MemberDAO.h"

TAddMemberForm::TAddMemberForm(TWindowContext* window) : TMemberFormBase(window, "添加成员属性", QSize(389, 331)) {
  setObjectName("AddMemberForm");
  setWindowIcon(QIcon(":/images/member.png"));
  Edt_MemberLength->setText("20");
  CB_MemberQueryDisplay->setChecked(true);
  FormCreate();
}

void TAddMemberForm::FormCreate() {
  Edt_MemberName->clear();
  BuildTypeList();
  CB_MemberType->setCurrentIndex(0);
}

void TAddMemberForm::Store(const TMember& member) {
  TMemberDAO().AddMember(member);
}

QString TAddMemberForm::SuccessMessage() const {
  return "类成员属性添加成功!";
}
