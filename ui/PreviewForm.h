#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <vector>

#include "model/ProjectModel.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class TCodePreview;
class TTemplateSet;
class TCodeView;

// The window "预览代码": the project's classes on the left and, for the selected class,
// four read-only tabs with the text the generation run would write for it (ENTITY,
// BLL, DAL) and its part of the table script (SQL). Nothing is written. The catalogue
// is read when the window opens and on "刷新" (F5); a class that fails a check shows
// the check's message in every tab instead of code.
class TPreviewForm : public QDialog {
  Q_OBJECT

 public:
  // pages: also the tabs of the class's admin pages (list, add/edit form, show), as "生成管理页面" writes them.
  // className: the class shown first (the first one when the project has no class of that name).
  TPreviewForm(QWidget* parent, int projectId, bool pages = false, const QString& className = {});
  ~TPreviewForm() override;

  // Opens a window for the project beside the parent (not modal) and discards it when closed.
  static TPreviewForm* ShowForProject(QWidget* parent, int projectId, bool pages = false,
                                      const QString& className = {});

  // The tab's view: 0 ENTITY, 1 BLL, 2 DAL, 3 SQL, then with pages 4 列表页, 5 编辑页, 6 详细页.
  TCodeView* View(int tab) const;

 public slots:
  // Reads the project again and shows the class selected before, when it is still there.
  void Refresh();
  void ShowFind();
  void FindNext();
  void CopyCurrent();

 private:
  void ShowClass(int row);
  // The path line above the text: the file the current tab holds, for the class shown.
  void ShowPath();
  void Tell(const QString& text);

  int FProjectId;
  TProjectModel FProject;
  std::unique_ptr<TTemplateSet> FTemplates;  // the set a run would use, read again on each refresh
  std::string FTemplateError;                // why the user's templates cannot be used; empty when they can
  std::unique_ptr<TCodePreview> FPreview;

  QListWidget* LB_Class;
  QTabWidget* PC_Code;
  std::vector<TCodeView*> FViews;
  QLineEdit* ED_Find;
  QPushButton* BT_Refresh;
  QPushButton* BT_Copy;
  QLabel* LB_Path;    // the site file the tab holds
  QLabel* LB_Status;  // what find and copy did
  QString FFirstClass;
};
