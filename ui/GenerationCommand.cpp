#include "ui/GenerationCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>

#include "catalogue/ClassDAO.h"
#include "ui/CommandGuard.h"
#include "ui/GenerationFeedback.h"
#include "ui/ProgramFolders.h"
#include "ui/Prompts.h"
#include "ui/WindowContext.h"

TGenerationCommand::TGenerationCommand(TWindowContext& window, QObject* parent) : QObject(parent), FWindow(window) {}

TGenerationCommand::~TGenerationCommand() {
  EndRun();
}

void TGenerationCommand::EndRun() {
  if (!FAutoCode) return;
  // The run's last blocking report may already be queued, so keep the event loop turning until it has ended.
  FFeedback->Detach();
  while (FAutoCode->Running()) {
    QCoreApplication::processEvents();
    QThread::msleep(5);
  }
  FAutoCode.reset();
}

bool TGenerationCommand::Running() const {
  return FAutoCode && FAutoCode->Running();
}

// The old advice to delete the site first holds only for a site the program cannot tell hand edits in:
// with a sound record of the last run, deleting it would throw away the user's edits and the record, and
// the run asks about edited files itself.
bool TGenerationCommand::SiteWithoutRecord(const TGenerationTarget& target) {
  try {
    const TSiteWriter look(target, TSiteOptions{true, false, false});
    return !look.Report().freshStart.empty();
  } catch (const TSiteBusyError&) {
    return false;  // another run is writing the site: the run refuses, saying so
  } catch (const std::exception&) {
    return true;  // a site that cannot even be looked at: the run says why
  }
}

void TGenerationCommand::Start(int projectId, const QString& projectName, const QString& nameSpace,
                               TSiteOptions options) {
  const TGenerationTarget target = ProgramFolders::SiteTarget(projectId, projectName);
  if (SiteWithoutRecord(target)) Prompts::ShowMessage("如果以前生成了该项目，最好先删除原来的目录!");
  const QString siteFolder = ProgramFolders::SiteFolder(projectName);
  FWindow.ClearProgress();
  Finish();
  FFeedback.reset(CreateFeedback(siteFolder));
  FAutoCode = std::make_unique<TAutoCode>(target, nameSpace.toStdString(), *FFeedback, options);
  FAutoCode->Start();
}

void TGenerationCommand::Finish() {
  FAutoCode.reset();
  FFeedback.reset();
}

TGenerationFeedback* TGenerationCommand::CreateFeedback(const QString& siteFolder) {
  TGenerationFeedback::THandlers handlers;
  handlers.progress = [this](const QString& line) { FWindow.AddProgressLine(line); };
  handlers.primaryKeyError = [this](int classId) { WMPrimaryKeyError(classId); };
  handlers.displayMemberError = [this](int classId) { WMDisplayMemberError(classId); };
  handlers.referenceError = [](const QString& message) { Prompts::ShowMessage(message); };
  // A name that would send files elsewhere or break the output: refused before anything is written.
  handlers.projectProblem = [](const QString& message) { Prompts::ShowError(message); };
  handlers.editedFiles = [](const QStringList& shownPaths) { return AskAboutEditedFiles(shownPaths); };
  handlers.done = [this, siteFolder](const TSiteReport& report) {
    const std::string folder = QDir::toNativeSeparators(QDir::cleanPath(siteFolder)).toStdString();
    WMGenerateDone(siteFolder, QString::fromStdString(AutoCodeTexts::Done(report, folder)));
  };
  handlers.failed = [](const QString& error) {
    Prompts::ShowError(QString::fromStdString(AutoCodeTexts::Failed(error.toStdString())));
  };
  return new TGenerationFeedback(std::move(handlers), nullptr);
}

TEditedFilesAnswer TGenerationCommand::AskAboutEditedFiles(const QStringList& shownPaths) {
  std::vector<std::string> paths;
  for (const QString& path : shownPaths) paths.push_back(path.toStdString());
  const QString question = QString::fromStdString(AutoCodeTexts::EditedFilesQuestion(paths));
  switch (Prompts::Choose(question, "任务提示", {"覆盖", "保留（新内容写入.new）", "取消"})) {
    case 0:
      return TEditedFilesAnswer::Overwrite;
    case 1:
      return TEditedFilesAnswer::KeepAsNew;
    default:
      return TEditedFilesAnswer::Cancel;
  }
}

void TGenerationCommand::WMPrimaryKeyError(int classId) {
  FErrorClassId = classId;
  Guarded([this] {
    const std::string name = TClassDAO().GetClassNameById(FErrorClassId);
    Prompts::ShowMessage(QString::fromStdString(AutoCodeTexts::PrimaryKeyError(name)));
  });
}

void TGenerationCommand::WMDisplayMemberError(int classId) {
  FErrorClassId = classId;
  Guarded([this] {
    const std::string name = TClassDAO().GetClassNameById(FErrorClassId);
    Prompts::ShowMessage(QString::fromStdString(AutoCodeTexts::DisplayMemberError(name)));
  });
}

void TGenerationCommand::WMGenerateDone(const QString& siteFolder, const QString& text) {
  Prompts::ShowBox(text, "任务提示", Prompts::TIcon::Information);
  Prompts::OpenOrTell(siteFolder, "生成的网站目录");
}
