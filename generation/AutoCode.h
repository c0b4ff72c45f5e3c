#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "generation/LayerCommon.h"
#include "generation/TemplateSet.h"
#include "model/ProjectChecker.h"
#include "model/ProjectModel.h"
#include "site/SiteWriter.h"

// The answer to a run that would replace files edited by hand since the last run.
enum class TEditedFilesAnswer {
  Overwrite,  // replace them with the new text
  KeepAsNew,  // this run only: leave them, their new text beside them as NAME.new
  Cancel,     // write nothing at all, the site's record included
};

// What a generation run tells whoever started it. Every call comes from the
// run's own thread; the run goes on only when the call has returned, so an
// outcome that waits for the user holds the run until then.
class TAutoCodeObserver {
 public:
  virtual ~TAutoCodeObserver() = default;
  // One line of the progress log, as soon as its step is done.
  virtual void Progress(const std::string& line) = 0;
  // Lines of the progress log told together, each ended by a line feed (none holds one of its own): a run
  // the site's record vouches for tells a line for each of thousands of files at once. Each goes to Progress
  // unless the observer takes them whole.
  virtual void ProgressLines(const std::string& lines);
  // The first class, in list order, without exactly one key member. Nothing was written.
  virtual void PrimaryKeyError(int classId) = 0;
  // The first class without exactly one display member. Nothing was written.
  virtual void DisplayMemberError(int classId) = 0;
  // A class-typed member whose type names no class of the project. Nothing was written.
  virtual void ReferenceError(const std::string& className, const std::string& memberName,
                              const std::string& memberType) = 0;
  // A name, length or text of the project that would make the output unsafe or broken (the message names
  // the project, class or member and the rule). Nothing was written. Observers that do not tell it apart
  // report it as a failure.
  virtual void ProjectProblem(const std::string& message) { Failed(message); }
  // True when the observer wants to be asked before edited files are replaced: the run then looks
  // for them first, in a pass that writes nothing, whenever the site has a sound record of its last run.
  virtual bool AsksAboutEditedFiles() const { return false; }
  // The files, in the order the run came to them, shown as the progress log names them, that this run
  // would replace although they were edited by hand since the last run. Nothing is written yet; the run
  // waits for the answer.
  virtual TEditedFilesAnswer EditedFiles(const std::vector<std::string>& /*shownPaths*/) {
    return TEditedFilesAnswer::Overwrite;
  }
  // What the run did to each file of the site (in a dry run: would do), just before Done. Handed over whole:
  // a run of a large project lists thousands of files.
  virtual void SiteReport(TSiteReport /*report*/) {}
  // Every file written and the template copied.
  virtual void Done() = 0;
  // Any other failure (a file, the template, the catalogue), with the error's own text.
  // Files and progress lines already written stay.
  virtual void Failed(const std::string& error) = 0;
};

// The texts the window shows for the outcomes, shared with the command line.
namespace AutoCodeTexts {
// The checker owns the texts of the problems it finds; the run shows them as they are.
using CheckerTexts::DisplayMemberError;
using CheckerTexts::PrimaryKeyError;
using CheckerTexts::ReferenceError;
std::string Failed(const std::string& error);
// The completion text; after a run that kept edited files, followed by their list. With a site folder,
// its second line counts the files (new, changed, unchanged, kept) and names the folder.
std::string Done(const TSiteReport& report, const std::string& siteFolder = {});
// The question before a run replaces edited files: up to ten of them, then how many there are.
std::string EditedFilesQuestion(const std::vector<std::string>& shownPaths);
inline const char* const kDone = "所有代码生成完毕!";
}  // namespace AutoCodeTexts

// The generation run of one project: checks the classes, writes the entity,
// business-logic and data-access files of every class, then copies the template
// site bak/ into projects/<project name>/ under the program folder. Files that already hold
// their new bytes are not touched, and the site records what was written for the next run.
//
// The project's id and name are taken once, when the run is made, so changing the
// selection in the window during a run cannot send files to another folder.
class TAutoCode {
 public:
  // options.dryRun: the run checks and decides every file's state but writes nothing and
  // reports no progress lines except a fresh start; options.keepEdits: files edited by hand
  // since the last run stay, their new text beside them as NAME.new.
  TAutoCode(TGenerationTarget target, std::string nameSpace, TAutoCodeObserver& observer, TSiteOptions options = {});
  ~TAutoCode();  // waits for a started run to end
  TAutoCode(const TAutoCode&) = delete;
  TAutoCode& operator=(const TAutoCode&) = delete;

  // Runs Execute on a thread of its own and returns at once.
  void Start();
  // True from Start until the run's last observer call has returned.
  bool Running() const { return FRunning; }
  // Waits until a started run has ended.
  void Wait();

  // The run itself, on the calling thread; every outcome goes to the observer.
  void Execute();

  const TGenerationTarget& Target() const { return FTarget; }

 private:
  void Run();
  bool RunVouchedFor(const std::optional<TCatalogueStamp>& stamp);
  bool CheckBeforeWriting(const TProjectModel& project);
  // Every file of the site, through the writer, in the order the run writes them.
  void WriteSite(const TProjectView& project, const TTemplateSet& templates, TSiteWriter& site,
                 const TProgressCallback& progress);
  // Asks the observer about edited files the run would replace; false when the run is to stop.
  bool AskAboutEditedFiles(const TProjectView& project, const TTemplateSet& templates, const TSiteLock& lock,
                           TSiteOptions& options);
  void CopyTemplateSite(TSiteWriter& site, const TProgressCallback& progress);

  const TGenerationTarget FTarget;
  const std::string FNamespace;  // handed to the generators, which use it nowhere
  const TSiteOptions FOptions;
  TAutoCodeObserver& FObserver;
  std::thread FThread;
  std::atomic<bool> FRunning{false};
};
