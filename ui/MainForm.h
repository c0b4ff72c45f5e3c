#pragma once

#include <QMainWindow>
#include <QString>

#include "generation/AutoCode.h"
#include "ui/WindowContext.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableWidget;
class QTimer;
class TBannerImage;
class TClassListBox;
class TCodeMenu;
class TProjectMenu;
struct TProtectedPaths;
struct TDataLocation;

// The program's one main window: project selector, class list, member grid,
// progress log, and the two menus, whose commands live in TProjectMenu and TCodeMenu
// and reach the window as a TWindowContext. The selection lives in the
// controls: the items of CB_Project and LB_Object carry the ids of their
// project and class, and the first column of an LV_Member row holds the member id.
class TFormMain : public QMainWindow, public TWindowContext {
  Q_OBJECT

 public:
  explicit TFormMain(QWidget* parent = nullptr);
  ~TFormMain() override;

  // Rebuild the views from the catalogue. They raise the catalogue's errors.
  void LoadProjects();
  void LoadClasses(int projectId) override;
  void ShowMembers(int classId) override;
  void SelectProject(int projectId) override;
  void ReloadProjects(TProjectPosition position) override;

  int SelectedProjectId() const override;
  QString SelectedProjectName() const override;
  int SelectedClassId() const override;
  QString SelectedClassName() const override;
  int SelectedMemberId() const override;
  void SetSelectedClassName(const QString& name) override;
  void RemoveSelectedClass() override;

  QWidget* Widget() override { return this; }
  void ClearProgress() override;
  void AddProgressLine(const QString& line) override;
  void TemplatesChanged() override;

  // Position in the project selector to select again after LoadProjects; -1: the first.
  int ProjectIndex() const { return FProjectIndex; }
  // The namespace text handed to the generation run.
  const QString& Namespace() const;
  // The class that failed a generation check, for the error message.
  int ErrorClassId() const;
  void SetErrorClassId(int classId);

  // Where the program's files are (ProgramFolders, decided once at start-up).
  static void UseDataLocation(const TDataLocation& location);
  static QString HelpPage();
  static QString ProgramFolder();
  static QString TemplateFolder();
  static TProtectedPaths ProtectedPaths();
  // True while a generation run started from this window is going on.
  bool GenerationRunning() const;

 public slots:
  void CB_ProjectChange();
  void LB_ObjectClick();
  void LB_ObjectDblClick();
  void LV_MemberDblClick();

  void Image1Click();
  void Timer1Timer();

  // The outcomes of a generation run, shown while the run waits.
  void WMPrimaryKeyError(int classId);
  void WMDisplayMemberError(int classId);
  // text: the completion text, followed by the files kept as edited when there are any.
  void WMGenerateDone(const QString& siteFolder, const QString& text = AutoCodeTexts::kDone);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void CreateControls();
  void CreateMenus();
  // The status bar line that tells where the catalogue and the generated sites are.
  void CreateStatusLine();
  void ClearMembers();

  int FProjectIndex = -1;

  TBannerImage* Image1 = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QLabel* Label1 = nullptr;
  QComboBox* CB_Project = nullptr;
  QLabel* Label2 = nullptr;
  TClassListBox* LB_Object = nullptr;
  QTableWidget* LV_Member = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QPlainTextEdit* Memo_State = nullptr;
  QTimer* Timer1 = nullptr;
  QLineEdit* StatusLocation = nullptr;
  QLabel* StatusTemplates = nullptr;  // "模板: 内置", or the user's folder and how many it replaces

  TProjectMenu* FProjectMenu = nullptr;
  TCodeMenu* FCodeMenu = nullptr;
};
