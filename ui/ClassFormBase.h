#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class TWindowContext;

// What the add-class and change-class dialogs share: the class-name row, the
// friendly-name row and the "确定" button, which runs Button1Click. There is no
// cancel button; closing the window cancels.
class TClassFormBase : public QDialog {
  Q_OBJECT

 public:
  // The class name starts with A to Z and goes on with letters, digits and underscores, and is no C# or
  // T-SQL keyword nor a name of the generated code; otherwise shows why and returns false.
  static bool CheckClassNameShape(const QString& className);
  // The friendly name is text the generated files can hold; otherwise shows why and returns false.
  static bool CheckFriendName(const QString& friendName);
  // True, after saying so, when another class of the project (any but ownClassId) has the name without
  // regard to case: the generated files and tables of the two would be one.
  static bool ClassNameTaken(int projectId, const QString& className, int ownClassId);

 protected:
  TClassFormBase(TWindowContext* window, const QString& caption, const QString& classLabel, const QString& friendLabel,
                 const QSize& clientSize);

 protected slots:
  virtual void Button1Click() = 0;

 protected:
  TWindowContext* FWindow;
  QLabel* Label1 = nullptr;
  QLineEdit* Edt_ClassName = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* Edt_FriendName = nullptr;
  QPushButton* Button1 = nullptr;
};
