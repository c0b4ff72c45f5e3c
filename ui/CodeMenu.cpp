#include "ui/CodeMenu.h"

#include <QAction>
#include <QMenu>

#include "generation/TemplateSet.h"
#include "site/FileOperate.h"
#include "ui/DataBaseSql.h"
#include "ui/GenerationCommand.h"
#include "ui/PreviewForm.h"
#include "ui/ProgramFolders.h"
#include "ui/Prompts.h"
#include "ui/UpgradeSqlForm.h"
#include "ui/UserSettings.h"
#include "ui/WindowContext.h"

TCodeMenu::TCodeMenu(TWindowContext& window, QMenu* menu)
    : QObject(menu), FWindow(window), FGeneration(new TGenerationCommand(window, this)) {
  AddCommand(menu, "sql1", "生成建表sql语句", &TCodeMenu::sql1Click);
  AddCommand(menu, "UpgradeSql1", "生成升级sql语句(&U)", &TCodeMenu::UpgradeSql1Click);
  AddCommand(menu, "S2", "设置命名空间(&S)", &TCodeMenu::S2Click);
  AddCommand(menu, "V1", "预览代码(&V)...", &TCodeMenu::V1Click);
  AddCommand(menu, "A1", "自动生成代码(&A)", &TCodeMenu::A1Click);
  AddCommand(menu, "ExportTemplates1", "导出模板(&T)...", &TCodeMenu::ExportTemplates1Click);
  KeepEdits1 = menu->addAction("保留手工修改(&K)");
  KeepEdits1->setObjectName("KeepEdits1");
  KeepEdits1->setCheckable(true);
  KeepEdits1->setChecked(UserSettings::KeepEdits());
  connect(KeepEdits1, &QAction::toggled, this, &TCodeMenu::KeepEdits1Toggled);
  Pages1 = menu->addAction("生成管理页面(&G)");
  Pages1->setObjectName("Pages1");
  Pages1->setCheckable(true);
  Pages1->setChecked(UserSettings::GeneratePages());
  connect(Pages1, &QAction::toggled, this, [](bool checked) { UserSettings::SetGeneratePages(checked); });
}

QAction* TCodeMenu::AddCommand(QMenu* menu, const char* name, const QString& caption, void (TCodeMenu::*handler)()) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  connect(action, &QAction::triggered, this, handler);
  return action;
}

void TCodeMenu::sql1Click() {
  const int projectId = FWindow.SelectedProjectId();
  if (projectId < 0) {
    Prompts::ShowMessage("当前未有任何项目被选中!");
    return;
  }
  TDataBaseSqlForm::ShowForProject(FWindow.Widget(), projectId);
}

bool TCodeMenu::RefusedWhileRunning() const {
  if (!FGeneration->Running()) return false;
  Prompts::ShowMessage("代码正在生成中，请稍候!");
  return true;
}

void TCodeMenu::UpgradeSql1Click() {
  // The run records the site's files when it ends, over a version recorded meanwhile.
  if (RefusedWhileRunning()) return;
  const int projectId = FWindow.SelectedProjectId();
  if (projectId < 0) {
    Prompts::ShowMessage("当前未有任何项目被选中!");
    return;
  }
  TUpgradeSqlForm::ShowForTarget(FWindow.Widget(),
                                 ProgramFolders::SiteTarget(projectId, FWindow.SelectedProjectName()));
}

void TCodeMenu::V1Click() {
  const int projectId = FWindow.SelectedProjectId();
  if (projectId < 0) {
    Prompts::ShowMessage("没有一个工程被选中！");
    return;
  }
  TPreviewForm::ShowForProject(FWindow.Widget(), projectId, Pages1->isChecked(), FWindow.SelectedClassName());
}

void TCodeMenu::S2Click() {
  const QString text = Prompts::InputBox("命名空间输入框", "请输入一个命名空间名如:           ", FNamespace);
  if (text.isEmpty()) {
    Prompts::ShowMessage("命名空间名输入不能为空!");
    return;
  }
  FNamespace = text;
}

void TCodeMenu::A1Click() {
  // Two runs at once would write the same files.
  if (RefusedWhileRunning()) return;
  const int projectId = FWindow.SelectedProjectId();
  if (projectId < 0) {
    Prompts::ShowMessage("没有一个工程被选中！");
    return;
  }
  // The run keeps the project it was started for, whatever is selected meanwhile.
  FGeneration->Start(projectId, FWindow.SelectedProjectName(), FNamespace,
                     TSiteOptions{false, KeepEdits1->isChecked(), Pages1->isChecked()});
}

void TCodeMenu::ExportTemplates1Click() {
  const std::string folder = ProgramFolders::UserTemplates().toStdString();
  const std::vector<std::string> taken = TTemplateSet::TakenByExport(folder);
  if (!taken.empty()) {
    // The user's templates are the user's own: an export never writes over one.
    QString text = QStringLiteral("模板文件夹中已有以下文件，未导出任何模板：");
    for (std::size_t i = 0; i < taken.size() && i < 10; ++i) text += "\n" + QString::fromStdString(taken[i]);
    Prompts::ShowMessage(text);
    return;
  }
  std::vector<std::string> written;
  try {
    written = TTemplateSet::Export(folder, ProgramFolders::ProtectedPaths());
  } catch (const std::exception& error) {
    Prompts::ShowError(QString::fromStdString(error.what()));
    return;
  }
  FWindow.TemplatesChanged();
  Prompts::ShowMessage(QStringLiteral("已导出 %1 个内置模板到 %2").arg(written.size()).arg(QString::fromStdString(folder)));
}

void TCodeMenu::KeepEdits1Toggled(bool checked) {
  UserSettings::SetKeepEdits(checked);
}
