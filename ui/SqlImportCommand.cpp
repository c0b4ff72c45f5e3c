#include "ui/SqlImportCommand.h"

#include <QString>
#include <QStringList>

#include "transfer/tsql/SqlFileImport.h"
#include "ui/CommandGuard.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"

void RunSqlImportCommand(TFormMain& form) {
  const QString file =
      Prompts::AskOpenFileName("从SQL脚本导入", TFormMain::ProgramFolder(), "SQL 脚本 (*.sql);;所有文件 (*)");
  if (file.isEmpty()) return;
  const QString name = Prompts::InputBox("请输入工程名称", "", "");
  Guarded([&] {
    if (!TFormMain::CheckNewProjectName(name)) return;
    const TSqlFileImportOutcome outcome = ImportSqlFile(file.toStdString(), name.toStdString(), false);
    if (outcome.projectId >= 0) form.SelectProject(outcome.projectId);
    QStringList lines;
    for (const std::string& line : outcome.report) lines << QString::fromStdString(line);
    lines << QString::fromStdString(outcome.message);
    Prompts::ShowBox(lines.join('\n'), "从SQL脚本导入",
                     outcome.exitCode == 0 ? Prompts::TIcon::Information : Prompts::TIcon::Warning);
  });
}
