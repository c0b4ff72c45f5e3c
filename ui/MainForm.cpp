#include "ui/MainForm.h"

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
#include <QTimer>
#include <algorithm>
#include <memory>

#include "catalogue/ClassDAO.h"
#include "catalogue/DbHelper.h"
#include "catalogue/MemberDAO.h"
#include "catalogue/ProjectDAO.h"
#include "generation/TemplateSet.h"
#include "site/FileOperate.h"
#include "ui/AccessibleNames.h"
#include "ui/BannerImage.h"
#include "ui/ClassListBox.h"
#include "ui/CodeMenu.h"
#include "ui/CommandGuard.h"
#include "ui/GenerationCommand.h"
#include "ui/ProgramFolders.h"
#include "ui/ProjectMenu.h"
#include "ui/Prompts.h"

namespace {

constexpr int kClientWidth = 770;
constexpr int kClientHeight = 547;
constexpr int kBannerHeight = 89;
constexpr int kMemberGridHeight = 289;
constexpr int kClassListHeight = 241;
constexpr int kProgressHeight = 152;
constexpr int kTimerInterval = 5000;

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

void TFormMain::CreateMenus() {
  menuBar()->setObjectName("MainMenu1");
  QMenu* projectMenu = menuBar()->addMenu("项目操作(&P)");
  projectMenu->setObjectName("F1");
  FProjectMenu = new TProjectMenu(*this, projectMenu);
  QMenu* codeMenu = menuBar()->addMenu("代码管理(&A)");
  codeMenu->setObjectName("P1");
  FCodeMenu = new TCodeMenu(*this, codeMenu);
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
  // Which templates a run uses: the built-in ones, or the user's folder and how many it replaces.
  StatusTemplates = new QLabel(this);
  StatusTemplates->setObjectName("StatusTemplates");
  StatusTemplates->setAccessibleName(QStringLiteral("模板"));
  statusBar()->addPermanentWidget(StatusTemplates);
  TemplatesChanged();
}

void TFormMain::TemplatesChanged() {
  const std::string folder = ProgramFolders::UserTemplates().toStdString();
  StatusTemplates->setText(
      QString::fromStdString(TemplateTexts::StatusLine(folder, TTemplateSet::CountReplaced(folder))));
  StatusTemplates->setToolTip(QString::fromStdString(folder));
}

void TFormMain::FormCreate() {
  FProjectIndex = -1;
  Guarded([this] { LoadProjects(); });
  Timer1->start();
}

TFormMain::~TFormMain() {
  // A run still going reports to nobody from now on, and the window waits until it has ended.
  FCodeMenu->Generation().EndRun();
}

void TFormMain::UseDataLocation(const TDataLocation& location) {
  ProgramFolders::UseDataLocation(location);
}

QString TFormMain::HelpPage() {
  return ProgramFolders::HelpPage();
}

QString TFormMain::ProgramFolder() {
  return ProgramFolders::ProgramFolder();
}

QString TFormMain::TemplateFolder() {
  return ProgramFolders::TemplateFolder();
}

TProtectedPaths TFormMain::ProtectedPaths() {
  return ProgramFolders::ProtectedPaths();
}

bool TFormMain::GenerationRunning() const {
  return FCodeMenu->Generation().Running();
}

const QString& TFormMain::Namespace() const {
  return FCodeMenu->Namespace();
}

int TFormMain::ErrorClassId() const {
  return FCodeMenu->Generation().ErrorClassId();
}

void TFormMain::SetErrorClassId(int classId) {
  FCodeMenu->Generation().SetErrorClassId(classId);
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

void TFormMain::ReloadProjects(TProjectPosition position) {
  if (position == TProjectPosition::Current) FProjectIndex = CB_Project->currentIndex();
  if (position == TProjectPosition::First) FProjectIndex = -1;
  LoadProjects();
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

QString TFormMain::SelectedProjectName() const {
  return CB_Project->currentIndex() < 0 ? QString() : CB_Project->currentText();
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

void TFormMain::RemoveSelectedClass() {
  {
    const QSignalBlocker blocker(LB_Object);
    delete LB_Object->takeItem(LB_Object->currentRow());
    LB_Object->setCurrentItem(nullptr);
    LB_Object->clearSelection();
  }
  // The deleted class's members are gone with it; no row may point at them.
  ClearMembers();
}

void TFormMain::ClearProgress() {
  Memo_State->clear();
}

void TFormMain::AddProgressLine(const QString& line) {
  Memo_State->appendPlainText(line);
}

int TFormMain::SelectedMemberId() const {
  const QModelIndexList rows = LV_Member->selectionModel()->selectedRows(0);
  if (rows.isEmpty()) return -1;
  return LV_Member->item(rows.first().row(), 0)->text().toInt();
}

// ---- view events ----

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
  FProjectMenu->N2Click();
}

void TFormMain::LV_MemberDblClick() {
  if (SelectedClassId() >= 0 && SelectedMemberId() < 0) {
    FProjectMenu->M1Click();
    return;
  }
  FProjectMenu->N3Click();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
  // A double click anywhere in a view counts, also on its empty part.
  if (event->type() == QEvent::MouseButtonDblClick) {
    if (watched == LB_Object->viewport()) LB_ObjectDblClick();
    if (watched == LV_Member->viewport()) LV_MemberDblClick();
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- the outcomes of a generation run ----

void TFormMain::WMPrimaryKeyError(int classId) {
  FCodeMenu->Generation().WMPrimaryKeyError(classId);
}

void TFormMain::WMDisplayMemberError(int classId) {
  FCodeMenu->Generation().WMDisplayMemberError(classId);
}

void TFormMain::WMGenerateDone(const QString& siteFolder, const QString& text) {
  FCodeMenu->Generation().WMGenerateDone(siteFolder, text);
}

// ---- banner and start-up timer ----

void TFormMain::Image1Click() {
  Prompts::OpenOrTell(HelpPage(), "帮助页面");
}

void TFormMain::Timer1Timer() {
  // Nobody asked for this one: if it cannot be opened, say nothing.
  Prompts::OpenWithShell(HelpPage());
  Timer1->stop();
}
