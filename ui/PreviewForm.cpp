#include "ui/PreviewForm.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

#include "catalogue/ModelStore.h"
#include "generation/CodePreview.h"
#include "generation/PageOperate.h"
#include "generation/TemplateSet.h"
#include "ui/CodeView.h"
#include "ui/CommandGuard.h"
#include "ui/ProgramFolders.h"

namespace {

const TCodeLayer kLayers[4] = {TCodeLayer::Entity, TCodeLayer::BLL, TCodeLayer::DAL, TCodeLayer::Sql};
const char* const kTabNames[4] = {"ENTITY", "BLL", "DAL", "SQL"};
const char* const kViewNames[4] = {"Memo_Entity", "Memo_BLL", "Memo_DAL", "Memo_Sql"};
// The page tabs and the page kind each shows.
const char* const kPageTabNames[3] = {"列表页", "编辑页", "详细页"};
const char* const kPageKinds[3] = {"list", "edit", "show"};
const char* const kPageViewNames[3] = {"Memo_List", "Memo_Edit", "Memo_Show"};

}  // namespace

TPreviewForm::TPreviewForm(QWidget* parent, int projectId, bool pages, const QString& className)
    : QDialog(parent), FProjectId(projectId), FFirstClass(className) {
  setObjectName(QStringLiteral("PreviewForm"));
  setWindowTitle(QStringLiteral("预览代码"));
  setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
  resize(980, 640);

  LB_Class = new QListWidget(this);
  LB_Class->setObjectName(QStringLiteral("LB_Class"));
  LB_Class->setAccessibleName(QStringLiteral("类"));
  connect(LB_Class, &QListWidget::currentRowChanged, this, &TPreviewForm::ShowClass);

  PC_Code = new QTabWidget(this);
  PC_Code->setObjectName(QStringLiteral("PC_Code"));
  for (int tab = 0; tab < 4; ++tab) {
    FViews.push_back(new TCodeView(PC_Code, kLayers[tab] == TCodeLayer::Sql));
    FViews[tab]->setObjectName(kViewNames[tab]);
    FViews[tab]->setAccessibleName(kTabNames[tab]);
    PC_Code->addTab(FViews[tab], kTabNames[tab]);
  }
  for (int page = 0; pages && page < 3; ++page) {
    TCodeView* view = new TCodeView(PC_Code, false);
    view->setObjectName(kPageViewNames[page]);
    view->setAccessibleName(QString::fromUtf8(kPageTabNames[page]));
    PC_Code->addTab(view, QString::fromUtf8(kPageTabNames[page]));
    FViews.push_back(view);
  }

  auto* findLabel = new QLabel(QStringLiteral("查找:"), this);
  ED_Find = new QLineEdit(this);
  ED_Find->setObjectName(QStringLiteral("ED_Find"));
  findLabel->setBuddy(ED_Find);
  connect(ED_Find, &QLineEdit::returnPressed, this, &TPreviewForm::FindNext);
  BT_Copy = new QPushButton(QStringLiteral("复制"), this);
  BT_Copy->setObjectName(QStringLiteral("BT_Copy"));
  connect(BT_Copy, &QPushButton::clicked, this, &TPreviewForm::CopyCurrent);
  BT_Refresh = new QPushButton(QStringLiteral("刷新"), this);
  BT_Refresh->setObjectName(QStringLiteral("BT_Refresh"));
  BT_Refresh->setAutoDefault(false);
  BT_Copy->setAutoDefault(false);
  connect(BT_Refresh, &QPushButton::clicked, this, &TPreviewForm::Refresh);

  LB_Path = new QLabel(this);
  LB_Path->setObjectName(QStringLiteral("LB_Path"));
  LB_Path->setTextInteractionFlags(Qt::TextSelectableByMouse);
  LB_Status = new QLabel(this);
  LB_Status->setObjectName(QStringLiteral("LB_Status"));
  connect(PC_Code, &QTabWidget::currentChanged, this, &TPreviewForm::ShowPath);
  connect(ED_Find, &QLineEdit::textEdited, LB_Status, &QLabel::clear);

  auto* find = new QShortcut(QKeySequence::Find, this);
  connect(find, &QShortcut::activated, this, &TPreviewForm::ShowFind);
  auto* refresh = new QShortcut(QKeySequence(Qt::Key_F5), this);
  connect(refresh, &QShortcut::activated, this, &TPreviewForm::Refresh);

  auto* bar = new QHBoxLayout;
  bar->addWidget(findLabel);
  bar->addWidget(ED_Find, 1);
  bar->addWidget(LB_Status);
  bar->addWidget(BT_Copy);
  bar->addWidget(BT_Refresh);

  auto* right = new QWidget(this);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->addLayout(bar);
  rightLayout->addWidget(LB_Path);
  rightLayout->addWidget(PC_Code, 1);

  auto* splitter = new QSplitter(this);
  splitter->addWidget(LB_Class);
  splitter->addWidget(right);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({200, 780});

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter);

  Refresh();
}

TPreviewForm::~TPreviewForm() = default;

TPreviewForm* TPreviewForm::ShowForProject(QWidget* parent, int projectId, bool pages, const QString& className) {
  auto* form = new TPreviewForm(parent, projectId, pages, className);
  form->setAttribute(Qt::WA_DeleteOnClose);
  form->show();
  return form;
}

TCodeView* TPreviewForm::View(int tab) const {
  return FViews[tab];
}

void TPreviewForm::Refresh() {
  // The class shown before, or on opening the one the main window had selected.
  const QString selected = LB_Class->currentItem() != nullptr ? LB_Class->currentItem()->text() : FFirstClass;
  TProjectModel project;
  if (!Guarded([this, &project] { project = TModelStore().LoadProject(FProjectId); })) return;

  // The views point into the model: drop them before the model changes.
  FPreview.reset();
  FProject = std::move(project);
  // The preview shows what the active set of templates makes; a broken one shows its message instead.
  FTemplateError.clear();
  try {
    FTemplates = std::make_unique<TTemplateSet>(ProgramFolders::UserTemplates().toStdString());
  } catch (const TTemplateError& error) {
    FTemplates = std::make_unique<TTemplateSet>();
    FTemplateError = error.what();
  }
  FPreview = std::make_unique<TCodePreview>(FProject, *FTemplates);

  const QSignalBlocker block(LB_Class);
  LB_Class->clear();
  int row = FProject.classes.empty() ? -1 : 0;
  for (int i = 0; i < static_cast<int>(FProject.classes.size()); ++i) {
    const QString name = QString::fromStdString(FProject.classes[i].className);
    LB_Class->addItem(name);
    if (name == selected) row = i;
  }
  LB_Class->setCurrentRow(row);
  ShowClass(row);
}

void TPreviewForm::ShowClass(int row) {
  const bool shown = row >= 0 && row < static_cast<int>(FProject.classes.size()) && FPreview;
  for (int tab = 0; tab < static_cast<int>(FViews.size()); ++tab) {
    if (!shown) {
      FViews[tab]->ShowText(QString());
      continue;
    }
    const TClassModel& entry = FProject.classes[row];
    if (!FTemplateError.empty()) {
      FViews[tab]->ShowText(QString::fromStdString(FTemplateError));
      continue;
    }
    if (tab < 4) {
      FViews[tab]->ShowText(QString::fromStdString(FPreview->Preview(entry, kLayers[tab]).text));
      continue;
    }
    // A class the run would stop at shows the run's message instead of pages, as the layer tabs do.
    const std::string problem = FPreview->ClassProblem(entry);
    std::string text = problem;
    if (problem.empty() && !Guarded([&] { text = TPageOperate::PreviewText(FProject, entry, kPageKinds[tab - 4], *FTemplates); }))
      text.clear();
    FViews[tab]->ShowText(QString::fromStdString(text));
  }
  ShowPath();
}

void TPreviewForm::ShowPath() {
  const int row = LB_Class->currentRow();
  const int tab = PC_Code->currentIndex();
  LB_Status->clear();
  if (row < 0 || row >= static_cast<int>(FProject.classes.size()) || tab < 0) {
    LB_Path->clear();
    return;
  }
  const TClassModel& entry = FProject.classes[row];
  QString path;
  if (tab < 4) {
    path = QString::fromStdString(TCodePreview::FilePath(entry.className, kLayers[tab]));
  } else {
    // A page is its markup, its code-behind and the page data access, each under its own line in the text.
    // A class the run would stop at has no pages to name; its tab shows why.
    QStringList paths;
    if (FPreview && FPreview->ClassProblem(entry).empty()) {
      try {
        for (const TPageOperate::TPageFile& file : TPageOperate::MakeClassPage(FProject, entry, kPageKinds[tab - 4]))
          paths << QString::fromStdString(file.path);
      } catch (const std::exception&) {
        paths.clear();  // the tab shows the failure already
      }
    }
    path = paths.join(QStringLiteral(", "));
  }
  // The SQL tab holds the class's part of the table script, which is no file of the site.
  LB_Path->setText(tab == 3 ? QStringLiteral("数据库建表sql语句") : path);
}

void TPreviewForm::Tell(const QString& text) {
  LB_Status->setText(text);
}

void TPreviewForm::ShowFind() {
  ED_Find->setFocus();
  ED_Find->selectAll();
}

void TPreviewForm::FindNext() {
  const QString text = ED_Find->text();
  if (text.isEmpty()) return;
  const bool found = FViews[PC_Code->currentIndex()]->FindNext(text);
  Tell(found ? QString() : QString("找不到“%1”").arg(text));
}

void TPreviewForm::CopyCurrent() {
  // The selection when there is one, otherwise the whole file, with its CR LF line ends.
  TCodeView* view = FViews[PC_Code->currentIndex()];
  QString text = view->textCursor().hasSelection() ? view->textCursor().selectedText() : view->toPlainText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n')).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  QApplication::clipboard()->setText(text);
  Tell(view->textCursor().hasSelection() ? QStringLiteral("已复制选中的文字") : QStringLiteral("已复制全部代码"));
}
