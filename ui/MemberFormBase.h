#pragma once

#include <QDialog>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TWindowContext;
class TMember;

// What the add-member and change-member dialogs share: the controls, the type
// list, the checks of "确定" (Button1Click) and the member record they build.
// "取消" (Button2Click) closes the dialog without storing anything.
class TMemberFormBase : public QDialog {
  Q_OBJECT

 protected:
  TMemberFormBase(TWindowContext* window, const QString& caption, const QSize& clientSize);

  // The five member types, then every other class of the main window's selected project.
  void BuildTypeList();

  // The member id whose own name does not count as taken (0: none).
  virtual int OwnMemberId() const = 0;
  // Stores the built record: add or update.
  virtual void Store(const TMember& member) = 0;
  virtual QString SuccessMessage() const = 0;

 protected slots:
  void Button1Click();
  void Button2Click();

 protected:
  TWindowContext* FWindow;
  QLineEdit* Edt_MemberName = nullptr;
  QComboBox* CB_MemberType = nullptr;
  QLineEdit* Edt_MemberLength = nullptr;
  QCheckBox* CB_MemberIsPri = nullptr;
  QCheckBox* CB_MemberIsMust = nullptr;
  QCheckBox* CB_QueryFlag = nullptr;
  QCheckBox* CB_MemberIsDisplay = nullptr;
  QCheckBox* CB_MemberQueryDisplay = nullptr;
  QLineEdit* Edt_MemberComment = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;

 private:
  // The first check the input fails, shown to the user; false when all pass.
  bool RefuseInput(const QString& name, const QString& type);
  // True (after telling the user) when another member of the class has the name.
  bool NameTaken(const QString& name);
  // The record as the controls describe it; empty (after telling the user) when
  // the length of a string member is no whole number.
  std::unique_ptr<TMember> BuildMember(const QString& name, const QString& type);
};
