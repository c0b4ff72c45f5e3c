#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

#include "generation/AutoCode.h"

class TGenerationFeedback;
class TWindowContext;

// "自动生成代码(&A)": starts a generation run of a project on a thread of its own and shows what it
// reports: progress lines in the window's log, the outcomes in message boxes while the run waits.
class TGenerationCommand : public QObject {
  Q_OBJECT

 public:
  TGenerationCommand(TWindowContext& window, QObject* parent);
  // A run still going reports to nobody from then on; waits until it has ended.
  ~TGenerationCommand() override;

  // Starts a run of the project; none may be going on.
  void Start(int projectId, const QString& projectName, const QString& nameSpace, TSiteOptions options);
  // True while a run started here is going on.
  bool Running() const;
  // Stops reporting and waits for a run still going; the window is going away.
  void EndRun();

  // The class that failed a generation check, for the error message.
  int ErrorClassId() const { return FErrorClassId; }
  void SetErrorClassId(int classId) { FErrorClassId = classId; }

  // The outcomes of a run, shown while the run waits.
  void WMPrimaryKeyError(int classId);
  void WMDisplayMemberError(int classId);
  void WMGenerateDone(const QString& siteFolder, const QString& text);

 private:
  TGenerationFeedback* CreateFeedback(const QString& siteFolder);
  static bool SiteWithoutRecord(const TGenerationTarget& target);
  // The question before a run replaces files edited by hand: 覆盖, 保留 or 取消.
  static TEditedFilesAnswer AskAboutEditedFiles(const QStringList& shownPaths);
  // Ends the bookkeeping of a finished run before the next one starts.
  void Finish();

  TWindowContext& FWindow;
  int FErrorClassId = 0;
  // The current or last run and the feedback it reports through.
  std::unique_ptr<TAutoCode> FAutoCode;
  std::unique_ptr<TGenerationFeedback> FFeedback;
};
