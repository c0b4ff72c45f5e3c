#pragma once

#include "ui/ClassFormBase.h"

// "添加类": adds a class to the project selected in the main window.
class TAddClassForm : public TClassFormBase {
  Q_OBJECT

 public:
  explicit TAddClassForm(TWindowContext* window);

 protected slots:
  void Button1Click() override;
};
