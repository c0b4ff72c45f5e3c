#pragma once

#include "ui/MemberFormBase.h"

// "添加成员属性": adds a member to the class selected in the main window.
class TAddMemberForm : public TMemberFormBase {
  Q_OBJECT

 public:
  explicit TAddMemberForm(TWindowContext* window);

 protected:
  int OwnMemberId() const override { return 0; }
  void Store(const TMember& member) override;
  QString SuccessMessage() const override;

 private:
  // Empty name, type "字符串", length "20", only "查询界面是否显示" checked.
  void FormCreate();
};
