#include "ui/ClassFormBase.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "catalogue/ClassDAO.h"
#include "model/NameRules.h"
#include "ui/AccessibleNames.h"
#include "ui/Prompts.h"
#include "ui/WindowContext.h"

namespace {

// Shows the problem, if there is one; true when there is none.
bool Passes(const std::string& problem) {
  if (problem.empty()) return true;
  Prompts::ShowMessage(QString::fromStdString(problem));
  return false;
}

}  // namespace

bool TClassFormBase::CheckClassNameShape(const QString& className) {
  return Passes(NameRules::ClassNameProblem(className.toStdString()));
}

bool TClassFormBase::CheckFriendName(const QString& friendName) {
  return Passes(NameRules::TextProblem(friendName.toStdString()));
}

bool TClassFormBase::ClassNameTaken(int projectId, const QString& className, int ownClassId) {
  for (const TNameId& other : TClassDAO().ListClassesOfProject(projectId))
    if (other.id != ownClassId && NameRules::SameNameIgnoringCase(other.name, className.toStdString()))
      return !Passes(NameRules::kClassNameTakenMessage);
  return false;
}

TClassFormBase::TClassFormBase(TWindowContext* window, const QString& caption, const QString& classLabel,
                               const QString& friendLabel, const QSize& clientSize)
    : QDialog(window->Widget()), FWindow(window) {
  setWindowTitle(caption);
  setFixedSize(clientSize);

  Label1 = new QLabel(classLabel, this);
  Label1->setObjectName("Label1");
  Edt_ClassName = new QLineEdit(this);
  Edt_ClassName->setObjectName("Edt_ClassName");
  Label2 = new QLabel(friendLabel, this);
  Label2->setObjectName("Label2");
  Edt_FriendName = new QLineEdit(this);
  Edt_FriendName->setObjectName("Edt_FriendName");
  Button1 = new QPushButton("确定", this);
  Button1->setObjectName("Button1");
  Button1->setDefault(true);
  connect(Button1, &QPushButton::clicked, this, &TClassFormBase::Button1Click);
  AccessibleNames::LinkLabel(Label1, Edt_ClassName);
  AccessibleNames::LinkLabel(Label2, Edt_FriendName);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(20, 24, 20, 24);
  layout->setVerticalSpacing(18);
  layout->setRowStretch(0, 1);
  layout->addWidget(Label1, 1, 0);
  layout->addWidget(Edt_ClassName, 1, 1);
  layout->addWidget(Label2, 2, 0);
  layout->addWidget(Edt_FriendName, 2, 1);
  layout->addWidget(Button1, 3, 0, 1, 2, Qt::AlignHCenter);
  layout->setRowStretch(4, 1);
}
