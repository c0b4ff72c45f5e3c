#include "ui/GenerationFeedback.h"

#include <QMetaObject>
#include <QThread>

TGenerationFeedback::TGenerationFeedback(THandlers handlers, QObject* parent)
    : QObject(parent), FHandlers(std::move(handlers)) {}

void TGenerationFeedback::Deliver(std::function<void()> handler, bool blocking) {
  if (FDetached) return;
  auto run = [this, handler = std::move(handler)] {
    if (!FDetached) handler();
  };
  if (QThread::currentThread() == thread()) {
    run();  // a run executed on the window's own thread (tests) reports directly
    return;
  }
  QMetaObject::invokeMethod(this, run, blocking ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

void TGenerationFeedback::Progress(const std::string& line) {
  Deliver([this, text = QString::fromStdString(line)] { FHandlers.progress(text); }, false);
}

void TGenerationFeedback::PrimaryKeyError(int classId) {
  Deliver([this, classId] { FHandlers.primaryKeyError(classId); }, true);
}

void TGenerationFeedback::DisplayMemberError(int classId) {
  Deliver([this, classId] { FHandlers.displayMemberError(classId); }, true);
}

void TGenerationFeedback::ReferenceError(const std::string& className, const std::string& memberName,
                                         const std::string& memberType) {
  const QString message = QString::fromStdString(AutoCodeTexts::ReferenceError(className, memberName, memberType));
  Deliver([this, message] { FHandlers.referenceError(message); }, true);
}

void TGenerationFeedback::ProjectProblem(const std::string& message) {
  Deliver([this, text = QString::fromStdString(message)] { FHandlers.projectProblem(text); }, true);
}

TEditedFilesAnswer TGenerationFeedback::EditedFiles(const std::vector<std::string>& shownPaths) {
  QStringList paths;
  for (const std::string& path : shownPaths) paths << QString::fromStdString(path);
  // Nobody left to ask (the window is going away): the run goes on without losing an edit.
  TEditedFilesAnswer answer = TEditedFilesAnswer::KeepAsNew;
  Deliver([this, paths, &answer] { answer = FHandlers.editedFiles(paths); }, true);
  return answer;
}

void TGenerationFeedback::SiteReport(TSiteReport report) {
  FReport = std::move(report);
}

void TGenerationFeedback::Done() {
  Deliver([this] { FHandlers.done(FReport); }, true);
}

void TGenerationFeedback::Failed(const std::string& error) {
  Deliver([this, text = QString::fromStdString(error)] { FHandlers.failed(text); }, true);
}
