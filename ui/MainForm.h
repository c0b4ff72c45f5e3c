#pragma once

#include <QMainWindow>
#include <QString>
#include <memory>

#include "generation/AutoCode.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTableWidget;
class QTimer;
class TBannerImage;
class TClassListBox;
class TGenerationFeedback;
struct TProtectedPaths;
struct TDataLocation;

// The program's one main window: project selector, class list, member grid,
// progress log, and the menus with every command. The selection lives in the
// controls: the items of CB_Project and LB_Object carry the ids of their
// project and class, and the first column of an LV_Member row holds the member id.
class TFormMain : public QMainWindow {
  Q_OBJECT

 public:
  explicit TFormMain(QWidget* parent = nullptr);
  ~TFormMain() override;

  // Rebuild the views from the catalogue. They raise the catalogue's errors.
  void LoadProjects();
  void LoadClasses(int projectId);
  void ShowMembers(int classId);
  // Reloads the project list and selects the project with that id, showing its classes.
  void SelectProject(int projectId);

  // The ids carried by the selected items; -1 when nothing is selected.
  int SelectedProjectId() const;
  int SelectedClassId() const;
  QString SelectedClassName() const;
  // The rules for the name of a new project: not empty, a safe folder name in GBK, not taken. Shows why
  // a name breaks them and returns false. Raises the catalogue's errors.
  static bool CheckNewProjectName(const QString& name);
  // Renames the selected class-list item in place; it keeps its id and position.
  void SetSelectedClassName(const QString& name);

  // Position in the project selector to select again after LoadProjects; -1: the first.
  int ProjectIndex() const { return FProjectIndex; }
  // The namespace text handed to the generation run.
  const QString& Namespace() const { return FNamespace; }
  // The class that failed a generation check, for the error message.
  int ErrorClassId() const { return FErrorClassId; }
  void SetErrorClassId(int classId) { FErrorClassId = classId; }

  // Where the program's files are, decided once at start-up. Without it the window
  // works as in the program folder: help/ beside the executable, bak/ beside the catalogue.
  static void UseDataLocation(const TDataLocation& location);
  // The help page the program ships.
  static QString HelpPage();
  // The folder that holds the catalogue and projects/ (and bak/, unless TemplateFolder says otherwise).
  static QString ProgramFolder();
  // The template site copied into every generated site; empty: ProgramFolder()/bak.
  static QString TemplateFolder();
  // What a file the user saves may never replace: the catalogue and the template site in use.
  static TProtectedPaths ProtectedPaths();
  // True while a generation run started from this window is going on.
  bool GenerationRunning() const;

 public slots:
  void CB_ProjectChange();
  void LB_ObjectClick();
  void LB_ObjectDblClick();
  void LV_MemberDblClick();

  // "项目操作(&P)"
  void F2Click();
  void N1Click();
  void D1Click();
  void A2Click();
  void N2Click();
  void S1Click();
  void M1Click();
  void N3Click();
  void C1Click();
  void ExportProjectClick();
  void ImportProjectClick();
  void ImportSql1Click();

  // "代码管理(&A)"
  void sql1Click();
  void S2Click();
  void V1Click();  // "预览代码..."
  void A1Click();
  void KeepEdits1Toggled(bool checked);  // "保留手工修改", remembered between starts

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
  QAction* AddCommand(QMenu* menu, const char* name, const QString& caption, void (TFormMain::*handler)());
  // The member id in the first column of the selected grid row; -1 when no row is selected.
  int SelectedMemberId() const;
  void ClearMembers();

  // Opens a folder or page the user asked for; when the desktop cannot, tells the
  // user the path of `what` to open by hand.
  void OpenOrTell(const QString& target, const QString& what);

  TGenerationFeedback* CreateGenerationFeedback(const QString& siteFolder);
  void FinishGeneration();

  int FProjectIndex = -1;
  QString FNamespace;
  int FErrorClassId = 0;

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
  QAction* KeepEdits1 = nullptr;
  QAction* Pages1 = nullptr;  // "生成管理页面", remembered between starts

  // The current or last generation run and the feedback it reports through.
  std::unique_ptr<TAutoCode> FAutoCode;
  TGenerationFeedback* FFeedback = nullptr;
};
