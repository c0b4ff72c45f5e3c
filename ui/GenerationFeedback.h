#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>

#include "generation/AutoCode.h"

// Carries a generation run's reports from its thread to the window's thread.
// Progress lines are queued, so the run never waits for the log; the outcomes are
// delivered with a blocking call, so the run waits until the window has shown its
// message box (and, when done, opened the generated folder) before it ends.
class TGenerationFeedback : public QObject, public TAutoCodeObserver {
  Q_OBJECT

 public:
  // The handlers the window runs on its own thread for each report.
  struct THandlers {
    std::function<void(const QString& line)> progress;
    std::function<void(int classId)> primaryKeyError;
    std::function<void(int classId)> displayMemberError;
    std::function<void(const QString& message)> referenceError;
    std::function<void(const QString& message)> projectProblem;
    // Edited files the run would replace (shown paths); the answer lets the run go on or stop it.
    std::function<TEditedFilesAnswer(const QStringList& shownPaths)> editedFiles;
    std::function<void(const TSiteReport& report)> done;  // what the run did to the site's files
    std::function<void(const QString& error)> failed;
  };

  TGenerationFeedback(THandlers handlers, QObject* parent);

  // From now on reports are dropped: the window is going away.
  void Detach() { FDetached = true; }

  void Progress(const std::string& line) override;
  void PrimaryKeyError(int classId) override;
  void DisplayMemberError(int classId) override;
  void ReferenceError(const std::string& className, const std::string& memberName,
                      const std::string& memberType) override;
  void ProjectProblem(const std::string& message) override;
  bool AsksAboutEditedFiles() const override { return true; }
  TEditedFilesAnswer EditedFiles(const std::vector<std::string>& shownPaths) override;
  void SiteReport(TSiteReport report) override;
  void Done() override;
  void Failed(const std::string& error) override;

 private:
  // Runs the handler on the window's thread; waits for it when blocking.
  void Deliver(std::function<void()> handler, bool blocking);

  const THandlers FHandlers;
  TSiteReport FReport;  // the run's, kept on its thread until Done
  std::atomic<bool> FDetached{false};
};
