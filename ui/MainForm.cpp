#include "ui/MainForm.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <optional>

#include "catalogue/ClassDAO.h"
#include "catalogue/DataLocation.h"
#include "catalogue/DbHelper.h"
#include "catalogue/MemberDAO.h"
#include "catalogue/ProjectDAO.h"
#include "generation/AutoCode.h"
#include "site/FileOperate.h"
#include "model/NameRules.h"
#include "ui/AccessibleNames.h"
#include "ui/BannerImage.h"
#include "ui/ClassListBox.h"
#include "ui/CommandGuard.h"
#include "ui/DataBaseSql.h"
#include "ui/DialogRunner.h"
#include "ui/FormAddClass.h"
#include "ui/FormAddMember.h"
#include "ui/FormUpdateClass.h"
#include "ui/FormUpdateMember.h"
#include "ui/GenerationFeedback.h"
#include "ui/PreviewForm.h"
#include "ui/ProjectFileCommands.h"
#include "ui/Prompts.h"
#include "ui/SqlImportCommand.h"
#include "ui/UserSettings.h"

namespace {

constexpr int kClientWidth = 770;
constexpr int kClientHeight = 547;
constexpr int kBannerHeight = 89;
constexpr int kMemberGridHeight = 289;
constexpr int kClassListHeight = 241;
constexpr int kProgressHeight = 152;
constexpr int kTimerInterval = 5000;

// Where the program's files are; set once at start-up by the window program.
std::optional<TDataLocation>& DataLocationInUse() {
  static std::optional<TDataLocation> location;
  return location;
}

// Member grid columns: the member id first (kept practically invisible), then what the user reads.
struct TColumn {
  const char* caption;
  int width;
};
const TColumn kMemberColumns[] = {{"编号", 1},  {"成员名称", 90}, {"成员类型", 70},   {"长度", 50},     {"主键", 50},
                                  {"必填", 50}, {"查询", 50},     {"下拉框显示", 75}, {"界面显示", 60}, {"注释", 110}};

QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

// A flag column shows "是" only for the value 1.
QString YesNo(int flag) {
  return flag == 1 ? QStringLiteral("是") : QStringLiteral("否");
}

// A project name becomes a folder name and is stored as GBK text; otherwise
// shows why it cannot be and returns false.
bool CheckProjectNameShape(const QString& name) {
  const std::string problem = NameRules::ProjectNameProblem(name.toStdString());
  if (problem.empty()) return true;
  Prompts::ShowMessage(QString::fromStdString(problem));
  return false;
}

}  // namespace

TFormMain::TFormMain(QWidget* parent) : QMainWindow(parent) {
  Q_INIT_RESOURCE(corvanthel);
  CreateControls();
  CreateMenus();
  CreateStatusLine();
  FormCreate();
}

void TFormMain::CreateControls() {
  setWindowTitle("corvanthelasp.net代码生成器2.1版");
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

  auto* client = new QWidget(this);
  client->setFixedSize(kClientWidth, kClientHeight);
  setCentralWidget(client);
  // The window is as large as its menu bar and client area, and not resizable.
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  Image1 = new TBannerImage(client);
  Image1->setObjectName("Image1");
  Image1->setGeometry(0, 0, kClientWidth, kBannerHeight);
  Image1->setPixmap(QPixmap(":/images/banner.png"));
  connect(Image1, &TBannerImage::clicked, this, &TFormMain::Image1Click);

  // The group fills the window below the banner. Its controls sit below its
  // caption, whose height depends on the font; the progress group takes the rest,
  // up to its 152 pixels, below the member grid's 289.
  GroupBox1 = new QGroupBox("项目操作区", client);
  GroupBox1->setObjectName("GroupBox1");
  GroupBox1->setGeometry(0, kBannerHeight, kClientWidth, kClientHeight - kBannerHeight);
  const QMargins frame = GroupBox1->contentsMargins();
  const int top = frame.top();

  Label1 = new QLabel("项目:", GroupBox1);
  Label1->setObjectName("Label1");
  Label1->setGeometry(8, top + 1, 32, 22);

  CB_Project = new QComboBox(GroupBox1);
  CB_Project->setObjectName("CB_Project");
  CB_Project->setGeometry(40, top, 121, 24);
  connect(CB_Project, &QComboBox::activated, this, &TFormMain::CB_ProjectChange);

  Label2 = new QLabel("该项目所有类如下:", GroupBox1);
  Label2->setObjectName("Label2");
  Label2->setGeometry(8, top + 27, 153, 20);

  LB_Object = new TClassListBox(GroupBox1);
  LB_Object->setObjectName("LB_Object");
  LB_Object->setGeometry(8, top + kMemberGridHeight - kClassListHeight, 153, kClassListHeight);
  connect(LB_Object, &TClassListBox::Click, this, &TFormMain::LB_ObjectClick);
  LB_Object->viewport()->installEventFilter(this);

  LV_Member = new QTableWidget(0, static_cast<int>(std::size(kMemberColumns)), GroupBox1);
  LV_Member->setObjectName("LV_Member");
  LV_Member->setGeometry(165, top, GroupBox1->width() - 165 - 8, kMemberGridHeight);
  LV_Member->setShowGrid(true);
  LV_Member->setSelectionBehavior(QAbstractItemView::SelectRows);
  LV_Member->setSelectionMode(QAbstractItemView::SingleSelection);
  LV_Member->setEditTriggers(QAbstractItemView::NoEditTriggers);
  LV_Member->setWordWrap(false);
  LV_Member->verticalHeader()->hide();
  LV_Member->verticalHeader()->setDefaultSectionSize(22);
  LV_Member->horizontalHeader()->setHighlightSections(false);
  LV_Member->horizontalHeader()->setMinimumSectionSize(1);
  for (int column = 0; column < LV_Member->columnCount(); ++column) {
    LV_Member->setHorizontalHeaderItem(column, new QTableWidgetItem(kMemberColumns[column].caption));
    LV_Member->setColumnWidth(column, kMemberColumns[column].width);
  }
  LV_Member->viewport()->installEventFilter(this);

  const int progressTop = top + kMemberGridHeight + 1;
  const int progressHeight = std::min(kProgressHeight, GroupBox1->height() - frame.bottom() - progressTop);
  GroupBox2 = new QGroupBox("生成进度", GroupBox1);
  GroupBox2->setObjectName("GroupBox2");
  GroupBox2->setGeometry(8, progressTop, GroupBox1->width() - 16, progressHeight);
  Memo_State = new QPlainTextEdit(GroupBox2);
  Memo_State->setObjectName("Memo_State");
  Memo_State->setReadOnly(true);
  Memo_State->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo_State->setStyleSheet("QPlainTextEdit { background-color: silver; }");
  auto* progressLayout = new QHBoxLayout(GroupBox2);
  progressLayout->setContentsMargins(4, 2, 4, 4);
  progressLayout->addWidget(Memo_State);

  // Every control has a name a screen reader can announce: from its label, or
  // else from what it shows or does. The banner comes last in the Tab order.
  AccessibleNames::Install();
  AccessibleNames::LinkLabel(Label1, CB_Project);
  AccessibleNames::LinkLabel(Label2, LB_Object);
  LV_Member->setAccessibleName("成员列表");
  Memo_State->setAccessibleName(GroupBox2->title());
  Image1->setAccessibleName("打开帮助页面");
  setTabOrder(CB_Project, LB_Object);
  setTabOrder(LB_Object, LV_Member);
  setTabOrder(LV_Member, Memo_State);
  setTabOrder(Memo_State, Image1);
  CB_Project->setFocus();

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(kTimerInterval);
  connect(Timer1, &QTimer::timeout, this, &TFormMain::Timer1Timer);
}

QAction* TFormMain::AddCommand(QMenu* menu, const char* name, const QString& caption, void (TFormMain::*handler)()) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  connect(action, &QAction::triggered, this, handler);
  return action;
}

void TFormMain::CreateMenus() {
  menuBar()->setObjectName("MainMenu1");
  QMenu* projectMenu = menuBar()->addMenu("项目操作(&P)");
  projectMenu->setObjectName("F1");
  AddCommand(projectMenu, "F2", "新建项目(&F)", &TFormMain::F2Click);
  AddCommand(projectMenu, "N1", "修改项目名称(&X)", &TFormMain::N1Click);
  AddCommand(projectMenu, "D1", "删除当前项目(&D)", &TFormMain::D1Click);
  AddCommand(projectMenu, "A2", "添加类(&A)", &TFormMain::A2Click);
  AddCommand(projectMenu, "N2", "修改类名(&B)", &TFormMain::N2Click);
  AddCommand(projectMenu, "S1", "删除类(&S)", &TFormMain::S1Click);
  AddCommand(projectMenu, "M1", "添加成员(&M)", &TFormMain::M1Click);
  AddCommand(projectMenu, "N3", "修改成员属性(&E)", &TFormMain::N3Click);
  AddCommand(projectMenu, "C1", "删除成员(&C)", &TFormMain::C1Click);
  projectMenu->addSeparator();
  AddCommand(projectMenu, "ExportProject", "导出工程...", &TFormMain::ExportProjectClick);
  AddCommand(projectMenu, "ImportProject", "导入工程...", &TFormMain::ImportProjectClick);
  AddCommand(projectMenu, "ImportSql1", "从SQL脚本导入...", &TFormMain::ImportSql1Click);

  QMenu* codeMenu = menuBar()->addMenu("代码管理(&A)");
  codeMenu->setObjectName("P1");
  AddCommand(codeMenu, "sql1", "生成建表sql语句", &TFormMain::sql1Click);
  AddCommand(codeMenu, "S2", "设置命名空间(&S)", &TFormMain::S2Click);
  AddCommand(codeMenu, "V1", "预览代码...", &TFormMain::V1Click);
  AddCommand(codeMenu, "A1", "自动生成代码(&A)", &TFormMain::A1Click);
  KeepEdits1 = codeMenu->addAction("保留手工修改");
  KeepEdits1->setObjectName("KeepEdits1");
  KeepEdits1->setCheckable(true);
  KeepEdits1->setChecked(UserSettings::KeepEdits());
  connect(KeepEdits1, &QAction::toggled, this, &TFormMain::KeepEdits1Toggled);
  Pages1 = codeMenu->addAction("生成管理页面(&G)");
  Pages1->setObjectName("Pages1");
  Pages1->setCheckable(true);
  Pages1->setChecked(UserSettings::GeneratePages());
  connect(Pages1, &QAction::toggled, this, [](bool checked) { UserSettings::SetGeneratePages(checked); });
}

void TFormMain::CreateStatusLine() {
  // A read-only line rather than a label: a long path scrolls instead of widening
  // the fixed-size window, and the user can select and copy it.
  StatusLocation = new QLineEdit(this);
  StatusLocation->setObjectName("StatusLocation");
  StatusLocation->setReadOnly(true);
  StatusLocation->setFrame(false);
  StatusLocation->setFocusPolicy(Qt::ClickFocus);
  StatusLocation->setStyleSheet("QLineEdit { background: transparent; }");
  const QString text = QStringLiteral("工程目录: %1    生成的网站: %2")
                           .arg(QFileInfo(QString::fromStdString(TDbHelper::CatalogueFile())).absoluteFilePath(),
                                ProgramFolder() + "/projects");
  StatusLocation->setText(text);
  StatusLocation->setCursorPosition(0);
  StatusLocation->setToolTip(text);
  StatusLocation->setAccessibleName(QStringLiteral("数据位置"));
  statusBar()->setSizeGripEnabled(false);
  statusBar()->addWidget(StatusLocation, 1);
}

void TFormMain::FormCreate() {
  FProjectIndex = -1;
  FNamespace = "corvanthel";
  Guarded([this] { LoadProjects(); });
  Timer1->start();
}

TFormMain::~TFormMain() {
  if (!FAutoCode) return;
  // A run still going reports to nobody from now on; its last blocking report may
  // already be queued, so keep the event loop turning until the run has ended.
  FFeedback->Detach();
  while (FAutoCode->Running()) {
    QCoreApplication::processEvents();
    QThread::msleep(5);
  }
  FAutoCode.reset();
}

QString TFormMain::ProgramFolder() {
  return QFileInfo(QString::fromStdString(TDbHelper::CatalogueFile())).absolutePath();
}

bool TFormMain::GenerationRunning() const {
  return FAutoCode && FAutoCode->Running();
}

void TFormMain::UseDataLocation(const TDataLocation& location) {
  DataLocationInUse() = location;
}

QString TFormMain::TemplateFolder() {
  const std::optional<TDataLocation>& location = DataLocationInUse();
  return location ? QString::fromStdString(location->templateFolder) : QString();
}

TProtectedPaths TFormMain::ProtectedPaths() {
  QString templateFolder = TemplateFolder();
  if (templateFolder.isEmpty()) templateFolder = ProgramFolder() + "/bak";
  return TProtectedPaths::Of(TDbHelper::CatalogueFile(), templateFolder.toStdString());
}

QString TFormMain::HelpPage() {
  const std::optional<TDataLocation>& location = DataLocationInUse();
  if (location) return QString::fromStdString(location->helpFolder) + "/index.html";
  return QCoreApplication::applicationDirPath() + "/help/index.html";
}

// ---- views ----

void TFormMain::LoadProjects() {
  CB_Project->clear();
  const TNameIdList projects = TProjectDAO().ListProjects();
  for (const TNameId& project : projects) CB_Project->addItem(Text(project.name), project.id);
  {
    const QSignalBlocker blocker(LB_Object);
    LB_Object->clear();
  }
  if (projects.empty()) {
    // Nothing is selected, so no member rows may stay behind from a deleted project.
    ClearMembers();
    return;
  }
  int index = 0;
  if (FProjectIndex != -1 && FProjectIndex < CB_Project->count()) index = FProjectIndex;
  CB_Project->setCurrentIndex(index);
  LoadClasses(CB_Project->currentData().toInt());
}

void TFormMain::SelectProject(int projectId) {
  LoadProjects();
  const int index = CB_Project->findData(projectId);
  if (index < 0) return;
  // Later reloads keep this project selected, as after a rename.
  FProjectIndex = index;
  if (index == CB_Project->currentIndex()) return;
  ClearMembers();
  CB_Project->setCurrentIndex(index);
  LoadClasses(projectId);
}

void TFormMain::LoadClasses(int projectId) {
  const QSignalBlocker blocker(LB_Object);
  LB_Object->clear();
  const TNameIdList classes = TClassDAO().ListClassesOfProject(projectId);
  for (const TNameId& aClass : classes) {
    auto* item = new QListWidgetItem(Text(aClass.name));
    item->setData(Qt::UserRole, aClass.id);
    LB_Object->addItem(item);
  }
  if (classes.empty()) {
    // The grid shows members of the selected class only; here there is none.
    ClearMembers();
    return;
  }
  LB_Object->setCurrentRow(0);
  ShowMembers(classes.front().id);
}

void TFormMain::ShowMembers(int classId) {
  ClearMembers();
  std::unique_ptr<TDbQuery> members = TMemberDAO().OpenMembersOfClass(classId);
  for (members->First(); !members->Eof(); members->Next()) {
    const auto field = [&members](const char* name) { return members->FieldByName(name); };
    const QString cells[] = {
        QString::number(field("memberId").AsInteger()), Text(field("memberName").AsString()),
        Text(field("memberType").AsString()),           QString::number(field("memberLength").AsInteger()),
        YesNo(field("memberIsPri").AsInteger()),        YesNo(field("memberIsMust").AsInteger()),
        YesNo(field("queryFlag").AsInteger()),          YesNo(field("memberIsDisplay").AsInteger()),
        YesNo(field("memberQueryDisplay").AsInteger()), Text(field("memberComment").AsString())};
    // The row appears only once all of it has been read: a bad value stops the
    // list after the rows before it, never with a row that has no cells.
    const int row = LV_Member->rowCount();
    LV_Member->insertRow(row);
    for (int column = 0; column < LV_Member->columnCount(); ++column)
      LV_Member->setItem(row, column, new QTableWidgetItem(cells[column]));
  }
}

void TFormMain::ClearMembers() {
  LV_Member->clearSelection();
  LV_Member->setRowCount(0);
}

int TFormMain::SelectedProjectId() const {
  return CB_Project->currentIndex() < 0 ? -1 : CB_Project->currentData().toInt();
}

int TFormMain::SelectedClassId() const {
  const QListWidgetItem* item = LB_Object->currentItem();
  return item != nullptr && item->isSelected() ? item->data(Qt::UserRole).toInt() : -1;
}

QString TFormMain::SelectedClassName() const {
  const QListWidgetItem* item = LB_Object->currentItem();
  return item != nullptr && item->isSelected() ? item->text() : QString();
}

void TFormMain::SetSelectedClassName(const QString& name) {
  QListWidgetItem* item = LB_Object->currentItem();
  if (item != nullptr && item->isSelected()) item->setText(name);
}

int TFormMain::SelectedMemberId() const {
  const QModelIndexList rows = LV_Member->selectionModel()->selectedRows(0);
  if (rows.isEmpty()) return -1;
  return LV_Member->item(rows.first().row(), 0)->text().toInt();
}

// ---- view events ----

void TFormMain::ExportProjectClick() {
  TProjectFileCommands::ExportProject(*this);
}

void TFormMain::ImportProjectClick() {
  TProjectFileCommands::ImportProject(*this);
}

void TFormMain::CB_ProjectChange() {
  ClearMembers();
  if (CB_Project->currentIndex() < 0) return;
  Guarded([this] { LoadClasses(CB_Project->currentData().toInt()); });
}

void TFormMain::LB_ObjectClick() {
  const int classId = SelectedClassId();
  if (classId < 0) return;
  Guarded([this, classId] { ShowMembers(classId); });
}

void TFormMain::LB_ObjectDblClick() {
  N2Click();
}

void TFormMain::LV_MemberDblClick() {
  if (SelectedClassId() >= 0 && SelectedMemberId() < 0) {
    M1Click();
    return;
  }
  N3Click();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
  // A double click anywhere in a view counts, also on its empty part.
  if (event->type() == QEvent::MouseButtonDblClick) {
    if (watched == LB_Object->viewport()) LB_ObjectDblClick();
    if (watched == LV_Member->viewport()) LV_MemberDblClick();
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- "项目操作(&P)" ----

bool TFormMain::CheckNewProjectName(const QString& name) {
  if (name.isEmpty()) {
    Prompts::ShowMessage("工程名称不能为空!");
    return false;
  }
  if (!CheckProjectNameShape(name)) return false;
  if (TProjectDAO().CountProjectsByName(name.toStdString()) >= 1) {
    Prompts::ShowMessage(NameRules::kProjectNameTakenMessage);
    return false;
  }
  return true;
}

void TFormMain::F2Click() {
  const QString name = Prompts::InputBox("请输入工程名称", "", "");
  Guarded([&] {
    if (!CheckNewProjectName(name)) return;
    TProjectDAO().AddProject(name.toStdString());
    LoadProjects();
    Prompts::ShowMessage("工程名称添加成功！");
  });
}

void TFormMain::ImportSql1Click() {
  RunSqlImportCommand(*this);
}

void TFormMain::N1Click() {
  if (CB_Project->currentIndex() < 0) {
    Prompts::ShowMessage("当前未有任何项目被选中!");
    return;
  }
  const QString name = Prompts::InputBox("请输入项目名称", "", "");
  if (name.isEmpty()) {
    Prompts::ShowMessage("工程项目名称不能为空!");
    return;
  }
  if (!CheckProjectNameShape(name)) return;
  Guarded([&] {
    // Another project of the same name, without regard to case, would share the generated site's folder
    // wherever names are compared that way.
    for (const TNameId& other : TProjectDAO().ListProjects())
      if (other.id != SelectedProjectId() && NameRules::SameNameIgnoringCase(other.name, name.toStdString())) {
        Prompts::ShowMessage(NameRules::kProjectNameTakenMessage);
        return;
      }
    TProjectDAO().RenameProject(SelectedProjectId(), name.toStdString());
    FProjectIndex = CB_Project->currentIndex();
    Prompts::ShowMessage("工程名称修改成功！");
    LoadProjects();
  });
}

void TFormMain::D1Click() {
  if (CB_Project->currentIndex() < 0) {
    Prompts::ShowMessage("未有任何项目被选中!");
    return;
  }
  if (!Prompts::Confirm("确认删除当前项目吗?", "删除提示")) return;
  Guarded([this] {
    TProjectDAO().DeleteProject(SelectedProjectId());
    FProjectIndex = -1;
    Prompts::ShowMessage("删除成功!");
    LoadProjects();
  });
}

void TFormMain::A2Click() {
  if (CB_Project->currentIndex() < 0) {
    Prompts::ShowMessage("当前未有任何项目被选中!");
    return;
  }
  TAddClassForm dialog(this);
  DialogRunner::Exec(dialog);
}

void TFormMain::N2Click() {
  if (SelectedClassId() < 0) {
    Prompts::ShowMessage("没有类被选中!");
    return;
  }
  TUpdateClassForm dialog(this);
  dialog.SetClassId(SelectedClassId());
  DialogRunner::Exec(dialog);
}

void TFormMain::S1Click() {
  if (SelectedClassId() < 0) {
    Prompts::ShowMessage("没有类被选中!");
    return;
  }
  if (!Prompts::Confirm("确认删除此类对象！", "提示")) return;
  Guarded([this] {
    TClassDAO().DeleteClass(SelectedClassId());
    {
      const QSignalBlocker blocker(LB_Object);
      delete LB_Object->takeItem(LB_Object->currentRow());
      LB_Object->setCurrentItem(nullptr);
      LB_Object->clearSelection();
    }
    // The deleted class's members are gone with it; no row may point at them.
    ClearMembers();
    Prompts::ShowMessage("类对象删除成功!");
  });
}

void TFormMain::M1Click() {
  if (SelectedClassId() < 0) {
    Prompts::ShowMessage("请先选择类对象");
    return;
  }
  TAddMemberForm dialog(this);
  DialogRunner::Exec(dialog);
}

void TFormMain::N3Click() {
  const int memberId = SelectedMemberId();
  if (memberId < 0) {
    Prompts::ShowMessage("请先选择一个成员");
    return;
  }
  bool exists = false;
  if (!Guarded([&] { exists = TMemberDAO().GetMemberById(memberId) != nullptr; })) return;
  if (!exists) {
    Prompts::ShowMessage("该成员已不存在!");
    return;
  }
  TUpdateMemberForm dialog(this, memberId);
  DialogRunner::Exec(dialog);
}

void TFormMain::C1Click() {
  const int memberId = SelectedMemberId();
  if (memberId < 0) {
    Prompts::ShowMessage("请先选择一个成员");
    return;
  }
  if (!Prompts::Confirm("确定删除当前成员属性?", "删除提示")) return;
  Guarded([this, memberId] {
    TMemberDAO().DeleteMember(memberId);
    Prompts::ShowMessage("成员属性删除成功");
    ShowMembers(SelectedClassId());
  });
}

// ---- "代码管理(&A)" ----

void TFormMain::sql1Click() {
  const int projectId = SelectedProjectId();
  if (projectId < 0) {
    Prompts::ShowMessage("当前未有任何项目被选中!");
    return;
  }
  TDataBaseSqlForm::ShowForProject(this, projectId);
}

void TFormMain::V1Click() {
  const int projectId = SelectedProjectId();
  if (projectId < 0) {
    Prompts::ShowMessage("没有一个工程被选中！");
    return;
  }
  TPreviewForm::ShowForProject(this, projectId, Pages1->isChecked());
}

void TFormMain::S2Click() {
  const QString text = Prompts::InputBox("命名空间输入框", "请输入一个命名空间名如:           ", FNamespace);
  if (text.isEmpty()) {
    Prompts::ShowMessage("命名空间名输入不能为空!");
    return;
  }
  FNamespace = text;
}

void TFormMain::A1Click() {
  if (GenerationRunning()) {
    // Two runs at once would write the same files.
    Prompts::ShowMessage("代码正在生成中，请稍候!");
    return;
  }
  const int projectId = SelectedProjectId();
  if (projectId < 0) {
    Prompts::ShowMessage("没有一个工程被选中！");
    return;
  }
  Prompts::ShowMessage("如果以前生成了该项目，最好先删除原来的目录!");
  // The run keeps the project it was started for, whatever is selected meanwhile.
  const QString projectName = CB_Project->currentText();
  const QString siteFolder = ProgramFolder() + "/projects/" + projectName;
  Memo_State->clear();
  FinishGeneration();
  FFeedback = CreateGenerationFeedback(siteFolder);
  FAutoCode = std::make_unique<TAutoCode>(
      TGenerationTarget{projectId, projectName.toStdString(), ProgramFolder().toStdString(),
                        TemplateFolder().toStdString()},
      FNamespace.toStdString(), *FFeedback, TSiteOptions{false, KeepEdits1->isChecked(), Pages1->isChecked()});
  FAutoCode->Start();
}

void TFormMain::KeepEdits1Toggled(bool checked) {
  UserSettings::SetKeepEdits(checked);
}

// Ends the bookkeeping of a finished run before the next one starts.
void TFormMain::FinishGeneration() {
  FAutoCode.reset();
  delete FFeedback;
  FFeedback = nullptr;
}

TGenerationFeedback* TFormMain::CreateGenerationFeedback(const QString& siteFolder) {
  TGenerationFeedback::THandlers handlers;
  handlers.progress = [this](const QString& line) { Memo_State->appendPlainText(line); };
  handlers.primaryKeyError = [this](int classId) { WMPrimaryKeyError(classId); };
  handlers.displayMemberError = [this](int classId) { WMDisplayMemberError(classId); };
  handlers.referenceError = [](const QString& message) { Prompts::ShowMessage(message); };
  // A name that would send files elsewhere or break the output: refused before anything is written.
  handlers.projectProblem = [](const QString& message) { Prompts::ShowError(message); };
  handlers.done = [this, siteFolder](const QString& text) { WMGenerateDone(siteFolder, text); };
  handlers.failed = [](const QString& error) {
    Prompts::ShowError(QString::fromStdString(AutoCodeTexts::Failed(error.toStdString())));
  };
  return new TGenerationFeedback(std::move(handlers), this);
}

void TFormMain::WMPrimaryKeyError(int classId) {
  FErrorClassId = classId;
  Guarded([this] {
    const std::string name = TClassDAO().GetClassNameById(FErrorClassId);
    Prompts::ShowMessage(QString::fromStdString(AutoCodeTexts::PrimaryKeyError(name)));
  });
}

void TFormMain::WMDisplayMemberError(int classId) {
  FErrorClassId = classId;
  Guarded([this] {
    const std::string name = TClassDAO().GetClassNameById(FErrorClassId);
    Prompts::ShowMessage(QString::fromStdString(AutoCodeTexts::DisplayMemberError(name)));
  });
}

void TFormMain::WMGenerateDone(const QString& siteFolder, const QString& text) {
  Prompts::ShowBox(text, "任务提示", Prompts::TIcon::Information);
  OpenOrTell(siteFolder, "生成的网站目录");
}

void TFormMain::OpenOrTell(const QString& target, const QString& what) {
  if (Prompts::OpenWithShell(target)) return;
  // The user asked for it, so say where it is instead of doing nothing.
  Prompts::ShowMessage(QString("无法自动打开%1，请手工打开:\n%2").arg(what, QDir::toNativeSeparators(target)));
}

// ---- banner and start-up timer ----

void TFormMain::Image1Click() {
  OpenOrTell(HelpPage(), "帮助页面");
}

void TFormMain::Timer1Timer() {
  // Nobody asked for this one: if it cannot be opened, say nothing.
  Prompts::OpenWithShell(HelpPage());
  Timer1->stop();
}
