#include "ui/GenerationCommand.h"

#include <QCoreApplication>
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

void TGenerationCommand::Start(int projectId, const QString& projectName, const QString& nameSpace,
                               TSiteOptions options) {
  Prompts::ShowMessage("如果以前生成了该项目，最好先删除原来的目录!");
  const QString siteFolder = ProgramFolders::SiteFolder(projectName);
  FWindow.ClearProgress();
  Finish();
  FFeedback.reset(CreateFeedback(siteFolder));
  FAutoCode = std::make_unique<TAutoCode>(
      TGenerationTarget{projectId, projectName.toStdString(), ProgramFolders::ProgramFolder().toStdString(),
                        ProgramFolders::TemplateFolder().toStdString()},
      nameSpace.toStdString(), *FFeedback, options);
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
  handlers.done = [this, siteFolder](const QString& text) { WMGenerateDone(siteFolder, text); };
  handlers.failed = [](const QString& error) {
    Prompts::ShowError(QString::fromStdString(AutoCodeTexts::Failed(error.toStdString())));
  };
  return new TGenerationFeedback(std::move(handlers), nullptr);
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
