#pragma once

#include "ui/ClassFormBase.h"

// "类更新": changes the name and friendly name of the class selected in the main window.
class TUpdateClassForm : public TClassFormBase {
  Q_OBJECT

 public:
  explicit TUpdateClassForm(TWindowContext* window);

  // The class to change; set before the dialog is shown.
  void SetClassId(int classId) { FClassId = classId; }

 protected:
  void showEvent(QShowEvent* event) override;

 protected slots:
  void Button1Click() override;

 private:
  // Fills the fields: the name from the class list, the friendly name from the catalogue.
  void FormShow();

  int FClassId = -1;
};
