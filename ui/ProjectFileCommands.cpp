#include "ui/ProjectFileCommands.h"

#include <QDir>

#include "catalogue/ProjectDAO.h"
#include "site/FileOperate.h"
#include "transfer/json/ProjectTransfer.h"
#include "ui/CommandGuard.h"
#include "ui/ProgramFolders.h"
#include "ui/ProjectNameCheck.h"
#include "ui/Prompts.h"
#include "ui/WindowContext.h"

namespace {

const char* const kFilter = "工程文件 (*.json);;所有文件 (*)";

QString SelectedProjectName(int projectId) {
  for (const TNameId& project : TProjectDAO().ListProjects())
    if (project.id == projectId) return QString::fromStdString(project.name);
  return QString();
}

// Asks what to do with a file whose project name is taken: import it under another name (asked for and
// checked as a new project's name), replace the project of that name (after a confirmation), or nothing.
// Returns false when nothing is to be imported; otherwise outcome is the import's.
bool ResolveTakenName(const QString& path, TImportOutcome& outcome) {
  const QString name = QString::fromStdString(outcome.projectName);
  const int choice = Prompts::Choose(QStringLiteral("工程“%1”已存在，请选择导入方式:").arg(name), "导入工程",
                                     {"以其他名称导入", "替换原工程", "取消"});
  if (choice == 0) {
    const std::optional<QString> typed = Prompts::AskLine("导入工程", "新的工程名称:", name);
    if (!typed) return false;
    const QString other = *typed;
    bool checked = false;
    if (!Guarded([&] { checked = ProjectNameCheck::CheckNewName(other); }) || !checked) return false;
    return Guarded([&] { outcome = TProjectTransfer().ImportFile(path.toStdString(), other.toStdString(), false); });
  }
  if (choice == 1) {
    if (!Prompts::Confirm(QStringLiteral("确定要用文件中的类和成员替换工程“%1”的全部类和成员吗?").arg(name), "导入工程"))
      return false;
    return Guarded([&] { outcome = TProjectTransfer().ImportFile(path.toStdString(), "", true); });
  }
  return false;
}

}  // namespace

void TProjectFileCommands::ExportProject(TWindowContext& window) {
  const int projectId = window.SelectedProjectId();
  if (projectId < 0) {
    Prompts::ShowMessage("当前未有任何项目被选中!");
    return;
  }
  QString name;
  if (!Guarded([&] { name = SelectedProjectName(projectId); })) return;
  const QString path =
      Prompts::AskSaveFileName("导出工程", QDir::home().filePath(name + ".json"), QString::fromUtf8(kFilter));
  if (path.isEmpty()) return;
  // Written as it is made (75 MB at 10,000 classes), as every file for the user is: a failed save or export
  // leaves an existing file as it was, and the catalogue and the template are refused.
  const TFileContent::TMaker text = [projectId](const TFileContent::TSink& part) {
    TProjectTransfer().ExportProject(projectId, part);
  };
  try {
    TFileOperate::WriteFileBytes(path.toStdString(), TFileContent(text), ProgramFolders::ProtectedPaths());
  } catch (const TFileError& error) {
    Prompts::ShowError(QStringLiteral("无法保存文件 %1：%2").arg(QDir::toNativeSeparators(path), error.what()));
    return;
  } catch (const std::exception& error) {
    // The export's own failure (the catalogue, a text that is not UTF-8), said as a failed command says it.
    Prompts::ShowError(QString::fromStdString(error.what()));
    return;
  }
  Prompts::ShowMessage("工程导出成功！");
}

void TProjectFileCommands::ImportProject(TWindowContext& window) {
  const QString path = Prompts::AskOpenFileName("导入工程", QDir::homePath(), QString::fromUtf8(kFilter));
  if (path.isEmpty()) return;
  TImportOutcome outcome;
  if (!Guarded([&] { outcome = TProjectTransfer().ImportFile(path.toStdString(), "", false); })) return;
  // A sound file whose name is taken: the choices of the command line's --as and --replace.
  if (outcome.nameTaken && outcome.problems.size() == 1 && !ResolveTakenName(path, outcome)) return;
  if (!outcome.problems.empty()) {
    QStringList lines;
    for (const std::string& problem : outcome.problems) lines << QString::fromStdString(problem);
    Prompts::ShowBox("工程文件有以下问题，未导入任何内容：\n" + lines.join('\n'), "导入工程", Prompts::TIcon::Warning);
    return;
  }
  Guarded([&] { window.SelectProject(outcome.projectId); });
  if (outcome.warnings.empty()) {
    Prompts::ShowMessage("工程导入成功！");
    return;
  }
  // Stored, as the catalogue may hold such a project; the user learns what to mend before generating.
  QStringList lines;
  for (const std::string& warning : outcome.warnings) lines << QString::fromStdString(warning);
  Prompts::ShowBox("工程导入成功！生成代码前请先改正以下问题：\n" + lines.join('\n'), "导入工程",
                   Prompts::TIcon::Warning);
}
