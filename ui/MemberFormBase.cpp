#include "ui/MemberFormBase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "catalogue/ClassDAO.h"
#include "catalogue/MemberDAO.h"
#include "model/Member.h"
#include "model/NameRules.h"
#include "ui/AccessibleNames.h"
#include "ui/CommandGuard.h"
#include "ui/Prompts.h"
#include "ui/WindowContext.h"

namespace {

const QString kString = QString::fromUtf8(MemberTypes::kString);
const QString kInteger = QString::fromUtf8(MemberTypes::kInteger);
const QString kFloat = QString::fromUtf8(MemberTypes::kFloat);
const QString kPicture = QString::fromUtf8(MemberTypes::kPicture);

QLabel* NewLabel(const char* name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

QCheckBox* NewCheckBox(const char* name, const QString& text, QWidget* parent) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(name);
  return box;
}

}  // namespace

TMemberFormBase::TMemberFormBase(TWindowContext* window, const QString& caption, const QSize& clientSize)
    : QDialog(window->Widget()), FWindow(window) {
  setWindowTitle(caption);
  setFixedSize(clientSize);

  Edt_MemberName = new QLineEdit(this);
  Edt_MemberName->setObjectName("Edt_MemberName");
  CB_MemberType = new QComboBox(this);
  CB_MemberType->setObjectName("CB_MemberType");
  Edt_MemberLength = new QLineEdit(this);
  Edt_MemberLength->setObjectName("Edt_MemberLength");
  CB_MemberIsPri = NewCheckBox("CB_MemberIsPri", "是否主键", this);
  CB_MemberIsMust = NewCheckBox("CB_MemberIsMust", "是否必填", this);
  CB_QueryFlag = NewCheckBox("CB_QueryFlag", "是否参与查询", this);
  CB_MemberIsDisplay = NewCheckBox("CB_MemberIsDisplay", "下拉框显示字段", this);
  CB_MemberQueryDisplay = NewCheckBox("CB_MemberQueryDisplay", "查询界面是否显示", this);
  Edt_MemberComment = new QLineEdit(this);
  Edt_MemberComment->setObjectName("Edt_MemberComment");
  Button1 = new QPushButton("确定", this);
  Button1->setObjectName("Button1");
  Button1->setDefault(true);
  Button2 = new QPushButton("取消", this);
  Button2->setObjectName("Button2");
  Button2->setAutoDefault(false);
  connect(Button1, &QPushButton::clicked, this, &TMemberFormBase::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TMemberFormBase::Button2Click);

  QLabel* nameLabel = NewLabel("Label1", "成员名称：", this);
  QLabel* typeLabel = NewLabel("Label2", "成员类型：", this);
  QLabel* lengthLabel = NewLabel("Label3", "长度： ", this);
  QLabel* lengthHint = NewLabel("Label4", "(字符串类型有效)     ", this);
  QLabel* commentLabel = NewLabel("Label5", "成员注释：", this);
  AccessibleNames::LinkLabel(nameLabel, Edt_MemberName);
  AccessibleNames::LinkLabel(typeLabel, CB_MemberType);
  AccessibleNames::LinkLabel(lengthLabel, Edt_MemberLength);
  AccessibleNames::LinkLabel(commentLabel, Edt_MemberComment);
  // The hint beside the length field is read after its name.
  Edt_MemberLength->setAccessibleDescription(lengthHint->text().trimmed());

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(24, 20, 24, 16);
  layout->setVerticalSpacing(12);
  layout->setColumnStretch(1, 1);
  layout->addWidget(nameLabel, 0, 0);
  layout->addWidget(Edt_MemberName, 0, 1, 1, 2);
  layout->addWidget(typeLabel, 1, 0);
  layout->addWidget(CB_MemberType, 1, 1, 1, 2);
  layout->addWidget(lengthLabel, 2, 0);
  layout->addWidget(Edt_MemberLength, 2, 1);
  layout->addWidget(lengthHint, 2, 2);

  auto* flags1 = new QHBoxLayout;
  flags1->addWidget(CB_MemberIsPri);
  flags1->addWidget(CB_MemberIsMust);
  flags1->addWidget(CB_QueryFlag);
  flags1->addStretch();
  layout->addLayout(flags1, 3, 0, 1, 3);
  auto* flags2 = new QHBoxLayout;
  flags2->addWidget(CB_MemberIsDisplay);
  flags2->addWidget(CB_MemberQueryDisplay);
  flags2->addStretch();
  layout->addLayout(flags2, 4, 0, 1, 3);

  layout->addWidget(commentLabel, 5, 0);
  layout->addWidget(Edt_MemberComment, 5, 1, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button1);
  buttons->addSpacing(24);
  buttons->addWidget(Button2);
  buttons->addStretch();
  layout->setRowMinimumHeight(6, 8);
  layout->addLayout(buttons, 7, 0, 1, 3);
}

void TMemberFormBase::BuildTypeList() {
  CB_MemberType->clear();
  CB_MemberType->addItems({kString, kInteger, kFloat, QString::fromUtf8(MemberTypes::kDate), kPicture});
  Guarded([this] {
    for (const TNameId& other : TClassDAO().ListOtherClasses(FWindow->SelectedProjectId(), FWindow->SelectedClassId()))
      CB_MemberType->addItem(QString::fromStdString(other.name));
  });
}

void TMemberFormBase::Button1Click() {
  const QString name = Edt_MemberName->text();
  const QString type = CB_MemberType->currentText();
  if (RefuseInput(name, type)) return;
  Guarded([&] {
    if (NameTaken(name)) return;
    const std::unique_ptr<TMember> member = BuildMember(name, type);
    if (!member) return;
    Store(*member);
    FWindow->ShowMembers(FWindow->SelectedClassId());
    Prompts::ShowMessage(SuccessMessage());
    accept();
  });
}

void TMemberFormBase::Button2Click() {
  reject();
}

bool TMemberFormBase::RefuseInput(const QString& name, const QString& type) {
  if (name.isEmpty()) {
    Prompts::ShowMessage("成员名称输入不能为空!");
    Edt_MemberName->setFocus();
    return true;
  }
  const std::string nameProblem =
      NameRules::MemberNameProblem(name.toStdString(), FWindow->SelectedClassName().toStdString());
  if (!nameProblem.empty()) {
    Prompts::ShowMessage(QString::fromStdString(nameProblem));
    return true;
  }
  if (type != kString && type != kPicture && !CB_MemberIsMust->isChecked()) {
    Prompts::ShowMessage(type + "必须勾选是否必填标志!");
    return true;
  }
  // Only strings and integers make keys; any other type gave a key column the script cannot create.
  if (CB_MemberIsPri->isChecked() && type != kString && type != kInteger) {
    Prompts::ShowMessage("主键字段必须是整型或字符串型!");
    return true;
  }
  if (CB_QueryFlag->isChecked() && (type == kInteger || type == kFloat || type == kPicture)) {
    Prompts::ShowMessage("参与查询的字段不能是" + type);
    return true;
  }
  const std::string commentProblem = NameRules::TextProblem(Edt_MemberComment->text().toStdString());
  if (!commentProblem.empty()) {
    Prompts::ShowMessage(QString::fromStdString(commentProblem));
    return true;
  }
  return false;
}

bool TMemberFormBase::NameTaken(const QString& name) {
  // Names compare without regard to case, as the columns of the generated tables do.
  std::unique_ptr<TDbQuery> members = TMemberDAO().OpenMembersOfClass(FWindow->SelectedClassId());
  for (members->First(); !members->Eof(); members->Next()) {
    if (members->FieldByName("memberId").AsInteger() == OwnMemberId()) continue;
    if (QString::fromStdString(members->FieldByName("memberName").AsString()).compare(name, Qt::CaseInsensitive) == 0) {
      Prompts::ShowMessage(NameRules::kMemberNameTakenMessage);
      return true;
    }
  }
  return false;
}

std::unique_ptr<TMember> TMemberFormBase::BuildMember(const QString& name, const QString& type) {
  auto member = std::make_unique<TMember>();
  member->SetMemberId(OwnMemberId());
  member->SetProjectId(FWindow->SelectedProjectId());
  member->SetClassId(FWindow->SelectedClassId());
  member->SetMemberName(name.toStdString());
  member->SetMemberType(type.toStdString());
  if (type == kString) {
    int length = 0;
    if (!NameRules::ParseWholeNumber(Edt_MemberLength->text().toStdString(), length)) {
      Prompts::ShowError(QString("'%1' is not a valid integer value").arg(Edt_MemberLength->text()));
      return nullptr;
    }
    if (!NameRules::StringLengthProblem(length).empty()) {
      Prompts::ShowMessage(NameRules::kStringLengthMessage);
      return nullptr;
    }
    member->SetMemberLength(length);
  }
  if (CB_MemberIsPri->isChecked()) member->SetMemberIsPri(1);
  if (type == kInteger) member->SetMemberIsInteger(1);
  if (type == kFloat) member->SetMemberIsFloat(1);
  if (CB_MemberIsMust->isChecked()) member->SetMemberIsMust(1);
  if (CB_QueryFlag->isChecked()) member->SetQueryFlag(1);
  if (CB_MemberIsDisplay->isChecked()) member->SetMemberIsDisplay(1);
  if (!CB_MemberQueryDisplay->isChecked()) member->SetMemberQueryDisplay(0);
  member->SetMemberComment(Edt_MemberComment->text().toStdString());
  return member;
}
