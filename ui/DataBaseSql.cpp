#include "ui/DataBaseSql.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <exception>

#include "catalogue/DbHelper.h"
#include "catalogue/ProjectDAO.h"
#include "generation/DataBaseSql.h"
#include "generation/FileOperate.h"
#include "generation/GbkText.h"
#include "ui/DialogRunner.h"
#include "ui/Prompts.h"

namespace {

// The memo holds lines without carriage returns; the script and saved files use CR LF.
QString ToMemoText(const std::string& script) {
  return QString::fromStdString(script).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString ToScriptText(const QString& memoText) {
  return QString(memoText).replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
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
  Memo_Sql->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo_Sql->setTabStopDistance(4 * Memo_Sql->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
  Memo_Sql->setContextMenuPolicy(Qt::CustomContextMenu);
  Memo_Sql->installEventFilter(this);
  connect(Memo_Sql, &QWidget::customContextMenuRequested, this, &TDataBaseSqlForm::Memo_SqlContextMenu);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Memo_Sql);

  SaveToFile1 = new QAction(QStringLiteral("保存为文件..."), this);
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
    Memo_SqlKeyDown(key->key(), key->modifiers());
  }
  return QDialog::eventFilter(watched, event);
}

void TDataBaseSqlForm::FormShow() {
  Memo_Sql->clear();
  try {
    Memo_Sql->setPlainText(ToMemoText(TDataBaseSql().BuildScript(FProjectId)));
  } catch (const std::exception& error) {
    Prompts::ShowError(QString::fromStdString(error.what()));
  }
}

// Ctrl+A, and Ctrl with key code 97, select the whole script; the key still reaches the memo.
void TDataBaseSqlForm::Memo_SqlKeyDown(int key, Qt::KeyboardModifiers shift) {
  const int lowByte = key & 0xFF;
  if (shift.testFlag(Qt::ControlModifier) && (lowByte == 65 || lowByte == 97)) Memo_Sql->selectAll();
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
    const std::string catalogue = TDbHelper::CatalogueFile();
    const std::string programFolder = QFileInfo(QString::fromStdString(catalogue)).absolutePath().toStdString();
    TFileOperate::WriteFileBytes(path.toStdString(), bytes, TProtectedPaths::Of(catalogue, programFolder + "/bak"));
  } catch (const std::exception& error) {
    failure = QString::fromStdString(error.what());
  }
  if (!failure.isEmpty())
    Prompts::ShowError(QStringLiteral("无法保存文件 %1：%2").arg(QDir::toNativeSeparators(path), failure));
}

QString TDataBaseSqlForm::SuggestedFileName() const {
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
  return QDir::home().filePath(name + QStringLiteral(".sql"));
}
