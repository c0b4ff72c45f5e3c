#include "ui/SqlImportCommand.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>

#include "transfer/tsql/SqlFileImport.h"
#include "ui/CommandGuard.h"
#include "ui/ProgramFolders.h"
#include "ui/ProjectNameCheck.h"
#include "ui/Prompts.h"
#include "ui/WindowContext.h"

void RunSqlImportCommand(TWindowContext& window) {
  const QString file =
      Prompts::AskOpenFileName("从SQL脚本导入", ProgramFolders::ProgramFolder(), "SQL 脚本 (*.sql);;所有文件 (*)");
  if (file.isEmpty()) return;
  // The file's name, without its folder and extension, is the name proposed for the project.
  const std::optional<QString> typed =
      Prompts::AskLine("请输入工程名称", "工程名称:", QFileInfo(file).completeBaseName());
  if (!typed) return;
  const QString name = *typed;
  Guarded([&] {
    if (!ProjectNameCheck::CheckNewName(name)) return;
    const TSqlFileImportOutcome outcome = ImportSqlFile(file.toStdString(), name.toStdString(), false);
    if (outcome.projectId >= 0) window.SelectProject(outcome.projectId);
    QStringList lines;
    for (const std::string& line : outcome.report) lines << QString::fromStdString(line);
    lines << QString::fromStdString(outcome.message);
    Prompts::ShowBox(lines.join('\n'), "从SQL脚本导入",
                     outcome.exitCode == 0 ? Prompts::TIcon::Information : Prompts::TIcon::Warning);
  });
}
