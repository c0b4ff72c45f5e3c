#include "ui/DataBaseSql.h"

#include <QAction>
#include <QDir>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <exception>

#include "catalogue/ProjectDAO.h"
#include "generation/DataBaseSql.h"
#include "site/FileOperate.h"
#include "text/GbkText.h"
#include "ui/CodeHighlighter.h"
#include "ui/DialogRunner.h"
#include "ui/ProgramFolders.h"
#include "ui/Prompts.h"

namespace {

// The memo holds lines without carriage returns; the script and saved files use CR LF.
QString ToMemoText(const std::string& script) {
  return QString::fromStdString(script).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString ToScriptText(const QString& memoText) {
  return QString(memoText).replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
}

// The desktop key codes the select-all shortcut is defined by: 65 is the A key,
// 97 is the 1 key of the numeric keypad. Other keys give 0.
int DesktopKeyCode(int key, Qt::KeyboardModifiers modifiers) {
  if (key == Qt::Key_A) return 65;
  if (key == Qt::Key_1 && modifiers.testFlag(Qt::KeypadModifier)) return 97;
  return 0;
}

}  // namespace

TDataBaseSqlForm::TDataBaseSqlForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("DataBaseSqlForm"));
  setWindowTitle(QStringLiteral("数据库建表sql语句"));
  setWindowFlags(windowFlags() | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(766, 551);
  move(300, 70);

  Memo_Sql = new QPlainTextEdit(this);
  Memo_Sql->setObjectName(QStringLiteral("Memo_Sql"));
  // No label names the script; a screen reader announces it by this name.
  Memo_Sql->setAccessibleName(QStringLiteral("建表sql语句"));
  Memo_Sql->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Read as code, as the preview shows it: columns line up, long lines scroll instead of wrapping.
  Memo_Sql->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  Memo_Sql->setLineWrapMode(QPlainTextEdit::NoWrap);
  new TCodeHighlighter(Memo_Sql->document(), TCodeHighlighter::TLanguage::Sql);
  Memo_Sql->setTabStopDistance(4 * Memo_Sql->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
  Memo_Sql->setContextMenuPolicy(Qt::CustomContextMenu);
  Memo_Sql->installEventFilter(this);
  connect(Memo_Sql, &QWidget::customContextMenuRequested, this, &TDataBaseSqlForm::Memo_SqlContextMenu);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Memo_Sql);

  SaveToFile1 = new QAction(QStringLiteral("保存为文件(&S)..."), this);
  SaveToFile1->setObjectName(QStringLiteral("SaveToFile1"));
  connect(SaveToFile1, &QAction::triggered, this, &TDataBaseSqlForm::SaveToFile1Click);
}

void TDataBaseSqlForm::ShowForProject(QWidget* parent, int projectId) {
  TDataBaseSqlForm form(parent);
  form.SetProjectId(projectId);
  DialogRunner::Exec(form);
}

QMenu* TDataBaseSqlForm::CreateMemoContextMenu() {
  QMenu* menu = Memo_Sql->createStandardContextMenu();
  menu->addSeparator();
  menu->addAction(SaveToFile1);
  return menu;
}

void TDataBaseSqlForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // A window restored from the task bar is shown again without being opened again.
  if (!event->spontaneous()) FormShow();
}

bool TDataBaseSqlForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Memo_Sql && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (Memo_SqlKeyDown(key->key(), key->modifiers())) return true;
  }
  return QDialog::eventFilter(watched, event);
}

std::string TDataBaseSqlForm::BuildText() {
  return TDataBaseSql().BuildScript(FProjectId);
}

void TDataBaseSqlForm::AddRowBelowMemo(QLayout* row) {
  static_cast<QVBoxLayout*>(layout())->addLayout(row);
}

void TDataBaseSqlForm::FormShow() {
  Memo_Sql->clear();
  try {
    Memo_Sql->setPlainText(ToMemoText(BuildText()));
  } catch (const std::exception& error) {
    Prompts::ShowError(QString::fromStdString(error.what()));
  }
}

// Ctrl+A and Ctrl + keypad 1 select the whole script. The key is taken, so the
// keypad digit never replaces the selection it has just made.
bool TDataBaseSqlForm::Memo_SqlKeyDown(int key, Qt::KeyboardModifiers shift) {
  const int code = DesktopKeyCode(key, shift);
  if (!shift.testFlag(Qt::ControlModifier) || (code != 65 && code != 97)) return false;
  Memo_Sql->selectAll();
  return true;
}

void TDataBaseSqlForm::Memo_SqlContextMenu(const QPoint& position) {
  QMenu* menu = CreateMemoContextMenu();
  menu->exec(Memo_Sql->viewport()->mapToGlobal(position));
  delete menu;
}

// Saves the memo's whole text, as the user sees it, in GBK with CR LF line ends,
// written as every file for the user is (TFileOperate::WriteFileBytes): a failed save
// leaves an existing file as it was, and the catalogue and the template are refused.
void TDataBaseSqlForm::SaveToFile1Click() {
  const QString path = Prompts::AskSaveFileName(QStringLiteral("保存为文件"), SuggestedFileName(),
                                                QStringLiteral("SQL 脚本 (*.sql);;所有文件 (*)"));
  if (path.isEmpty()) return;
  QString failure;
  try {
    const std::string bytes = GbkText::FromUtf8(ToScriptText(Memo_Sql->toPlainText()).toStdString());
    TFileOperate::WriteFileBytes(path.toStdString(), bytes, ProgramFolders::ProtectedPaths());
  } catch (const std::exception& error) {
    failure = QString::fromStdString(error.what());
  }
  if (!failure.isEmpty())
    Prompts::ShowError(QStringLiteral("无法保存文件 %1：%2").arg(QDir::toNativeSeparators(path), failure));
}

QString TDataBaseSqlForm::SuggestedFileName() const {
  return QDir::home().filePath(SuggestedBaseName() + QStringLiteral(".sql"));
}

QString TDataBaseSqlForm::SuggestedBaseName() const {
  QString name = QStringLiteral("script");
  try {
    for (const TNameId& project : TProjectDAO().ListProjects())
      if (project.id == FProjectId) {
        name = QString::fromStdString(project.name);
        break;
      }
  } catch (const std::exception&) {
    // Only the suggestion is lost; the user still picks the file.
  }
  return name;
}
