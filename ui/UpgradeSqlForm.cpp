#include "ui/UpgradeSqlForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "generation/UpgradeSql.h"
#include "ui/DialogRunner.h"
#include "ui/Prompts.h"

namespace {

// A problem the user can mend (exit code 1) is a message; any other failure is the error box.
void ShowProblem(const TDatabaseUpgradeOutcome& outcome) {
  const QString text = QString::fromStdString(outcome.message);
  if (outcome.exitCode == 1)
    Prompts::ShowMessage(text);
  else
    Prompts::ShowError(text);
}

}  // namespace

void TUpgradeSqlForm::ShowForTarget(QWidget* parent, const TGenerationTarget& target) {
  TDatabaseUpgradeRequest request;
  request.target = target;
  const TDatabaseUpgradeOutcome outcome = RunDatabaseUpgrade(request);
  if (outcome.exitCode != 0) {
    ShowProblem(outcome);
    return;
  }
  if (outcome.nothingToDo) {
    Prompts::ShowMessage(QString::fromUtf8(UpgradeTexts::kNothingToDo));
    return;
  }
  TUpgradeSqlForm form(parent, request, outcome.script);
  DialogRunner::Exec(form);
}

TUpgradeSqlForm::TUpgradeSqlForm(QWidget* parent, const TDatabaseUpgradeRequest& request, const std::string& script)
    : TDataBaseSqlForm(parent), FRequest(request), FScript(script) {
  setObjectName(QStringLiteral("UpgradeSqlForm"));
  setWindowTitle(QStringLiteral("数据库升级sql语句"));
  Memo()->setAccessibleName(QStringLiteral("升级sql语句"));

  LB_Version = new QLabel(QStringLiteral("脚本在数据库中执行成功后再记录：下次的升级脚本从记录的版本开始"), this);
  LB_Version->setObjectName(QStringLiteral("LB_Version"));
  LB_Version->setTextInteractionFlags(Qt::TextSelectableByMouse);
  BT_Record = new QPushButton(QStringLiteral("记录为新版本(&R)"), this);
  BT_Record->setObjectName(QStringLiteral("BT_Record"));
  // Announced without the mnemonic's "(R)".
  BT_Record->setAccessibleName(QStringLiteral("记录为新版本"));
  BT_Record->setAutoDefault(false);
  connect(BT_Record, &QPushButton::clicked, this, &TUpgradeSqlForm::BT_RecordClick);

  auto* row = new QHBoxLayout;
  row->setContentsMargins(8, 6, 8, 8);
  row->addWidget(LB_Version, 1);
  row->addWidget(BT_Record);
  AddRowBelowMemo(row);
}

QString TUpgradeSqlForm::SuggestedBaseName() const {
  return QString::fromStdString(FRequest.target.projectName) + QStringLiteral("-upgrade");
}

// What `upgrade-sql --record` does: the script built again from the site's latest version and stored as the
// next one. The window is modal, so the catalogue is as it was when the script was shown; only another
// program (the command line) can have changed the project or recorded a version since, and then the memo
// shows what was recorded.
void TUpgradeSqlForm::BT_RecordClick() {
  TDatabaseUpgradeRequest request = FRequest;
  request.record = true;
  const TDatabaseUpgradeOutcome outcome = RunDatabaseUpgrade(request);
  if (outcome.exitCode != 0) {
    ShowProblem(outcome);
    return;
  }
  BT_Record->setEnabled(false);
  QString told = outcome.recordedVersion >= 0 ? QString::fromStdString(outcome.message)
                                              : QString::fromUtf8(UpgradeTexts::kNothingToDo);
  LB_Version->setText(told);
  if (outcome.script != FScript) {
    FScript = outcome.script;
    FormShow();
    told += QStringLiteral("\n项目或版本在打开窗口后被另一个程序改变，窗口中的脚本已换成记录时的脚本");
  }
  Prompts::ShowMessage(told);
}
