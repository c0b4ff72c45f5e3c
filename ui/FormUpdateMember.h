#pragma once

#include "ui/MemberFormBase.h"

// "更新成员属性": changes one stored member of the class selected in the main window.
class TUpdateMemberForm : public TMemberFormBase {
  Q_OBJECT

 public:
  // Opens the dialog on the member with this id, every control filled from it.
  TUpdateMemberForm(TWindowContext* window, int memberId);

 protected:
  int OwnMemberId() const override { return FMemberId; }
  void Store(const TMember& member) override;
  QString SuccessMessage() const override;

 private:
  void FormCreate();

  int FMemberId;
};
