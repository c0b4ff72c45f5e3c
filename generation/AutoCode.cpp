#include "generation/AutoCode.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

#include "catalogue/DbHelper.h"
#include "catalogue/ModelStore.h"
#include "generation/BLLOperate.h"
#include "generation/DALOperate.h"
#include "generation/EntityOperate.h"
#include "generation/GenerationInputs.h"
#include "generation/PageOperate.h"
#include "model/ProjectChecker.h"
#include "transfer/json/VersionJson.h"

namespace AutoCodeTexts {

std::string Failed(const std::string& error) {
  return "代码生成失败:" + error;
}

std::string Done(const TSiteReport& report, const std::string& siteFolder) {
  std::string text = kDone;
  if (!siteFolder.empty()) {
    // An edited file the run replaced was changed like any other.
    const int kept = static_cast<int>(report.keptEdits.size());
    const int changed = report.Count(TSiteFileState::Changed) + report.Count(TSiteFileState::Edited) - kept;
    text += "\n新建" + std::to_string(report.Count(TSiteFileState::New)) + "个、更新" + std::to_string(changed) +
            "个、未变" + std::to_string(report.Count(TSiteFileState::Unchanged)) + "个、保留" + std::to_string(kept) +
            "个文件，网站目录: " + siteFolder;
  }
  if (report.keptEdits.empty()) return text;
  std::vector<std::string> shown;
  for (const std::string& path : report.keptEdits) shown.push_back(report.Shown(path));
  return text + "\n\n" + SiteTexts::KeptEdits(shown);
}

std::string EditedFilesQuestion(const std::vector<std::string>& shownPaths) {
  constexpr std::size_t kListed = 10;
  std::string text = "以下文件在上次生成后被手工修改，本次生成将覆盖它们:";
  for (std::size_t i = 0; i < shownPaths.size() && i < kListed; ++i) text += "\n" + shownPaths[i];
  if (shownPaths.size() > kListed) text += "\n等" + std::to_string(shownPaths.size()) + "个文件";
  return text;
}

}  // namespace AutoCodeTexts

TAutoCode::TAutoCode(TGenerationTarget target, std::string nameSpace, TAutoCodeObserver& observer, TSiteOptions options)
    : FTarget(std::move(target)), FNamespace(std::move(nameSpace)), FOptions(options), FObserver(observer) {}

TAutoCode::~TAutoCode() {
  Wait();
}

void TAutoCode::Start() {
  Wait();
  FRunning = true;
  FThread = std::thread([this] {
    Execute();
    FRunning = false;
  });
}

void TAutoCode::Wait() {
  if (FThread.joinable()) FThread.join();
}

void TAutoCode::Execute() {
  try {
    Run();
  } catch (const std::exception& error) {
    FObserver.Failed(error.what());
  }
}

void TAutoCode::Run() {
  // Taken before anything of the catalogue is read: a change the read might not see changes it.
  const std::optional<TCatalogueStamp> stamp = SettledCatalogueStamp(TDbHelper::CatalogueFile());
  if (RunVouchedFor(stamp)) return;
  // One read of the catalogue for the whole run, in one snapshot: the window may go on
  // editing the catalogue, and every file of the run comes from the same project.
  const TProjectModel project = TModelStore().LoadProject(FTarget.projectId);
  // A name no site folder may have stops the run before anything of a site is looked at.
  if (!CheckProjectName(FTarget.projectName).empty() && !CheckBeforeWriting(project)) return;
  const TProjectView view(project);
  const std::string checked = view.InputsOfProject(FTarget.projectName);
  // The site is this run's alone from before its record is read until after the new one is written: no other
  // run's record overwrites this one's, nor this one's drops what another run added.
  const TSiteLock lock(FTarget, FOptions.dryRun ? TSiteUse::Read : TSiteUse::Write);
  auto site = std::make_unique<TSiteWriter>(FTarget, FOptions, lock);
  // The checks look at nothing but the project (and the program): a project the last run checked before
  // it wrote passes them again.
  if (!site->Checked(checked) && !CheckBeforeWriting(project)) return;

  // Every template is read and checked before the first file is written.
  const TTemplateSet templates(FTarget.userTemplates);
  for (const std::string& warning : templates.Warnings()) FObserver.Progress(warning);

  TSiteOptions options = FOptions;
  if (!AskAboutEditedFiles(view, templates, lock, options)) return;
  if (options.keepEdits != FOptions.keepEdits) site = std::make_unique<TSiteWriter>(FTarget, options, lock);
  site->SetSharedInputs(GenerationInputs::Shared(templates.Digest(), FTarget.projectName, FNamespace));
  site->SetCheckedProject(checked);
  site->SetCatalogueStamp(stamp);
  if (!site->Report().freshStart.empty()) FObserver.Progress(site->Report().freshStart);
  // A dry run reports the states of the files at the end instead of steps it does not take.
  TProgressCallback progress;
  if (!options.dryRun) progress = [this](const std::string& line) { FObserver.Progress(line); };
  try {
    WriteSite(view, templates, *site, progress);
  } catch (...) {
    // The files written so far stay; the site's record says what they hold.
    site->RecordAfterFailure();
    throw;
  }
  site->Finish();
  FObserver.SiteReport(site->TakeReport());
  FObserver.Done();
}

// The whole run, as a dry run under the run's lock, over the project's classes read without their members. It
// stands for the run only when the site's record vouches for it (the catalogue, the program, the templates
// and the project's name are as the record's run found them) and it finds that the run would write nothing:
// then it tells the observer what the run tells and returns true. Otherwise nothing is told or written, and
// the run reads the whole project as ever.
bool TAutoCode::RunVouchedFor(const std::optional<TCatalogueStamp>& stamp) {
  if (!stamp || FOptions.pages || !CheckProjectName(FTarget.projectName).empty() ||
      TSiteWriter::RecordedCatalogue(FTarget) != stamp)
    return false;
  std::vector<std::string> warnings;
  // The progress lines, each ended by a line feed, in blocks of up to 64 KB filled in turn: a run shows one for
  // each of thousands of files, and a text grown by doubling would be copied and its memory touched twice.
  constexpr std::size_t kBlock = 64 * 1024;
  std::vector<std::string> lines;
  TSiteReport report;
  try {
    const TSiteLock lock(FTarget, FOptions.dryRun ? TSiteUse::Read : TSiteUse::Write);
    TSiteOptions dry = FOptions;
    dry.dryRun = true;
    TSiteWriter look(FTarget, dry, lock);
    const TTemplateSet templates(FTarget.userTemplates);
    look.SetSharedInputs(GenerationInputs::Shared(templates.Digest(), FTarget.projectName, FNamespace));
    if (!look.TrustRecord(*stamp)) return false;
    const TProjectModel classes = TModelStore().LoadClassesOf(FTarget.projectId);
    // The classes are those the record's run read only when no change came before they were read.
    if (SettledCatalogueStamp(TDbHelper::CatalogueFile()) != stamp) return false;
    warnings = templates.Warnings();
    // A file whose text would have to be made stops the pass (TNotAsRecorded) before anything is made.
    bool oneLineEach = true;
    WriteSite(TProjectView(classes, TInputsAsRecorded()), templates, look, [&](const std::string& line) {
      oneLineEach = oneLineEach && line.find('\n') == std::string::npos;
      if (lines.empty() || lines.back().size() + line.size() + 1 > lines.back().capacity()) {
        lines.emplace_back();
        lines.back().reserve(std::max(kBlock, line.size() + 1));
      }
      lines.back() += line;
      lines.back() += '\n';
    });
    look.Finish();
    // A template file's name may hold a line feed; its line would not come back whole.
    if (!look.ChangesNothing() || !oneLineEach) return false;
    report = look.TakeReport();
  } catch (const std::exception&) {
    // Whatever stopped the pass, the run that reads everything meets it again and reports it as it always has.
    return false;
  }
  for (const std::string& warning : warnings) FObserver.Progress(warning);
  if (!FOptions.dryRun)
    for (const std::string& block : lines) FObserver.ProgressLines(block);
  FObserver.SiteReport(std::move(report));
  FObserver.Done();
  return true;
}

void TAutoCodeObserver::ProgressLines(const std::string& lines) {
  std::string line;
  for (std::size_t start = 0, end; start < lines.size(); start = end + 1) {
    end = lines.find('\n', start);
    line.assign(lines, start, end - start);
    Progress(line);
  }
}

void TAutoCode::WriteSite(const TProjectView& project, const TTemplateSet& templates, TSiteWriter& site,
                          const TProgressCallback& progress) {
  TEntityOperate::MakeEntityFile(FNamespace, project, templates, site, progress);
  TBLLOperate::MakeBLLFile(FNamespace, project, templates, site, progress);
  TDALOperate::MakeDALFile(FNamespace, project, templates, site, progress);
  // The pages come before the template copy, which never replaces a file the run wrote: the generated
  // admin home, with a link to every class's list, wins over the template's.
  if (site.Options().pages) TPageOperate::MakePageFiles(project, templates, site, progress);
  CopyTemplateSite(site, progress);
  // The first version of the site's database, the one the table script builds, for the upgrade scripts
  // to start from. A site made before versions existed gets none: its database may be older.
  // Written as it is made: 8 MB at 1,000 classes, never held whole.
  if (site.CreatesSite())
    site.WriteInParts(SiteVersionPaths::Model(0),
                      [&project](const TFileContent::TSink& part) { TVersionJson().Export(project.model, part); });
}

// Edited files can only be told by a sound record of the last run, and only matter when the run would
// replace them. The pass that finds them is the dry run's, over the same snapshot of the project, so
// it lists exactly the files the writing pass would replace.
bool TAutoCode::AskAboutEditedFiles(const TProjectView& project, const TTemplateSet& templates, const TSiteLock& lock,
                                    TSiteOptions& options) {
  if (options.dryRun || options.keepEdits || !FObserver.AsksAboutEditedFiles()) return true;
  TSiteOptions dry = options;
  dry.dryRun = true;
  TSiteWriter look(FTarget, dry, lock);
  if (!look.HasRecord()) return true;
  look.SetSharedInputs(GenerationInputs::Shared(templates.Digest(), FTarget.projectName, FNamespace));
  try {
    WriteSite(project, templates, look, {});
  } catch (const std::exception&) {
    // The writing pass meets the same failure and reports it where it always has; the files found
    // before it are still asked about.
  }
  std::vector<std::string> edited;
  for (const TSiteFile& file : look.Report().files)
    if (file.state == TSiteFileState::Edited) edited.push_back(look.Shown(file.path));
  if (edited.empty()) return true;
  switch (FObserver.EditedFiles(edited)) {
    case TEditedFilesAnswer::Overwrite:
      return true;
    case TEditedFilesAnswer::KeepAsNew:
      options.keepEdits = true;
      return true;
    case TEditedFilesAnswer::Cancel:
      break;
  }
  return false;
}

// Checks the project, and the name the site folder is built from, before anything is
// written. Reports the problem the run stops at and returns false when there is one.
bool TAutoCode::CheckBeforeWriting(const TProjectModel& project) {
  std::vector<TProblem> problems = CheckProjectName(FTarget.projectName);
  const std::vector<TProblem> found = CheckProject(project);
  problems.insert(problems.end(), found.begin(), found.end());
  if (FOptions.pages) {
    const std::vector<TProblem> pages = CheckPages(project);
    problems.insert(problems.end(), pages.begin(), pages.end());
  }
  const TProblem* problem = FirstProblemOfRun(problems);
  if (problem == nullptr) return true;
  switch (problem->kind) {
    case TProblemKind::KeyMembers:
      FObserver.PrimaryKeyError(problem->classId);
      break;
    case TProblemKind::DisplayMembers:
      FObserver.DisplayMemberError(problem->classId);
      break;
    case TProblemKind::Reference:
      FObserver.ReferenceError(problem->className, problem->memberName, problem->memberType);
      break;
    default:
      FObserver.ProjectProblem(problem->message);
      break;
  }
  return false;
}

void TAutoCode::CopyTemplateSite(TSiteWriter& site, const TProgressCallback& progress) {
  const std::string& p = FTarget.projectName;
  const std::string bak = FTarget.templateFolder.empty() ? FTarget.programFolder + "/bak" : FTarget.templateFolder;
  const auto say = [&progress](const std::string& line) {
    if (progress) progress(line);
  };
  say("正在移动资源文件。。。");

  // One copied entry of the template and the progress line that follows it.
  struct TCopyStep {
    const char* entry;
    std::string line;
  };
  // The lines are those users know from earlier versions, Bin's odd one included.
  const TCopyStep folders[] = {
      {"Admin", "移动projects/" + p + "/Admin文件夹完毕！"},
      {"App_Data", "移动projects/" + p + "/App_Data文件夹完毕！"},
      {"Bin", "移动projects/" + p + "Bin文件夹完毕!"},
      {"App_Code/ENTITY", "移动projects/" + p + "/App_Code/ENTITY文件夹完毕！"},
      {"App_Code/BLL", "移动projects/" + p + "/App_Code/BLL文件夹完毕！"},
      {"App_Code/DAL", "移动projects/" + p + "/App_Code/DAL文件夹完毕！"},
  };
  // Nothing the copy writes may land on the catalogue or inside the template itself: the
  // site's writer refuses both.
  for (const TCopyStep& copy : folders) {
    // Files directly in the folder never replace generated ones of the same name.
    // A folder missing from the template fails the run like any other copy failure.
    site.CopyFolder(bak + "/" + copy.entry, copy.entry, true, progress);
    say(copy.line);
  }

  const TCopyStep files[] = {
      {"RegUsers.aspx", "移动projects/" + p + "/RegUsers.aspx完毕!"},
      {"RegUsers.aspx.cs", "移动projects/" + p + "/RegUsers.aspx.cs完毕!"},
      {"web.config", "移动projects/" + p + "/web.config完毕"},
  };
  for (const TCopyStep& copy : files) {
    // A single file missing from the template is left out; one that is there but
    // cannot be read or written fails the run.
    const std::string source = bak + "/" + copy.entry;
    std::error_code ignored;
    if (std::filesystem::status(source, ignored).type() != std::filesystem::file_type::not_found)
      site.CopyFile(source, copy.entry, progress);
    say(copy.line);
  }
  say("移动资源文件完毕!");
}
