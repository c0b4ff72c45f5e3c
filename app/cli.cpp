// The headless command line: lists projects, writes a project's table script and
// generates a project's site without opening a window.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/ClassDAO.h"
#include "catalogue/DataLocation.h"
#include "catalogue/DbHelper.h"
#include "catalogue/ModelStore.h"
#include "catalogue/ProjectDAO.h"
#include "generation/AutoCode.h"
#include "generation/CodePreview.h"
#include "generation/DataBaseSql.h"
#include "generation/DatabaseUpgrade.h"
#include "generation/PageOperate.h"
#include "generation/TemplateSet.h"
#include "model/ProjectChecker.h"
#include "site/FileOperate.h"
#include "transfer/json/ProjectTransfer.h"
#include "transfer/tsql/SqlFileImport.h"
#ifdef CORVANTHEL_COMMAND_LINE_DOCS
#include "packaging/CommandLineDocs.h"
#endif

namespace {

constexpr int kExitCheckFailed = 1;
constexpr int kExitFailure = 2;

// Raises when standard output could not take everything written to it (a full disk,
// a closed pipe): a listing or a run log that did not arrive is no success.
void CheckStandardOutput() {
  std::cout.flush();
  if (!std::cout) throw std::runtime_error("corvanthel-cli: cannot write to standard output");
}

int List() {
  for (const TNameId& project : TProjectDAO().ListProjects()) std::cout << project.name << '\n';
  CheckStandardOutput();
  return 0;
}

// The id of the first project of that name in catalogue order; -1 when there is none.
int FindProject(const std::string& name) {
  for (const TNameId& project : TProjectDAO().ListProjects())
    if (project.name == name) return project.id;
  return -1;
}

// The id of the first project of that name; -1 after saying on standard error that there is none.
int RequireProject(const std::string& project) {
  const int projectId = FindProject(project);
  if (projectId < 0) std::cerr << "corvanthel-cli: no project named '" << project << "'\n";
  return projectId;
}

// True when FILE is "-" or a name of standard output itself (/dev/stdout, /dev/fd/1): the text then goes
// out through standard output as it is, as without -o. Replacing the file standard output was redirected to
// instead would need its folder to be writable, and would leave whatever standard output carries before and
// after the text in a file that no longer has a name.
bool IsStandardOutput(const std::string& outputFile) {
  for (const char* name : {"-", "/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"})
    if (outputFile == name) return true;
  return false;
}

// A command's text to FILE, written as every file for the user is (never over the catalogue or a
// template file, whatever the path says), or to standard output when no file is given.
void WriteOutput(const std::string& text, const std::string& outputFile, const TDataLocation& location) {
  if (!outputFile.empty() && !IsStandardOutput(outputFile)) {
    TFileOperate::WriteFileBytes(outputFile, text,
                                 TProtectedPaths::Of(location.catalogueFile, location.templateFolder));
  } else {
    std::cout << text;
    CheckStandardOutput();
  }
}

// The same for a text made in parts: a file gets each part as it is made, and is left as it was when the
// making fails; standard output gets the text only once it is whole, so that a failure prints none of it.
void WriteOutput(const TFileContent::TMaker& make, const std::string& outputFile, const TDataLocation& location) {
  if (!outputFile.empty() && !IsStandardOutput(outputFile)) {
    TFileOperate::WriteFileBytes(outputFile, TFileContent(make),
                                 TProtectedPaths::Of(location.catalogueFile, location.templateFolder));
  } else {
    WriteOutput(TFileContent(make).Whole(), outputFile, location);
  }
}

// Prints the run as the window's progress log shows it; the outcome sets the exit code.
class TPrintingObserver : public TAutoCodeObserver {
 public:
  explicit TPrintingObserver(const TSiteOptions& options) : FDryRun(options.dryRun), FKeepEdits(options.keepEdits) {}

  int ExitCode() const { return FExitCode; }

  // Lines go out as standard output buffers them: at once on a terminal, in large writes to a file or
  // pipe (a run of thousands of files would otherwise make a system call per line).
  // Written through the C stream that std::cout is kept in step with: a stream insertion costs several times
  // as much, and a run after no change prints a line for each of thousands of files.
  void Progress(const std::string& line) override {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
  }
  void ProgressLines(const std::string& lines) override { std::fwrite(lines.data(), 1, lines.size(), stdout); }
  void PrimaryKeyError(int classId) override {
    Fail(kExitCheckFailed, AutoCodeTexts::PrimaryKeyError(TClassDAO().GetClassNameById(classId)));
  }
  void DisplayMemberError(int classId) override {
    Fail(kExitCheckFailed, AutoCodeTexts::DisplayMemberError(TClassDAO().GetClassNameById(classId)));
  }
  void ReferenceError(const std::string& className, const std::string& memberName,
                      const std::string& memberType) override {
    Fail(kExitCheckFailed, AutoCodeTexts::ReferenceError(className, memberName, memberType));
  }
  void ProjectProblem(const std::string& message) override { Fail(kExitCheckFailed, message); }
  void SiteReport(TSiteReport report) override { FReport = std::move(report); }
  void Done() override {
    FExitCode = 0;
    if (FDryRun) return PrintStates();
    std::cout << AutoCodeTexts::kDone << '\n' << std::flush;
    // Without --keep-edits a hand edit is replaced as before, but never without a word.
    for (const TSiteFile& file : FReport.files)
      if (file.state == TSiteFileState::Edited && !FKeepEdits)
        std::cerr << "corvanthel-cli: warning: " << FReport.Shown(file.path)
                  << " had been edited by hand since the last run and was overwritten (--keep-edits keeps it)\n";
    if (FReport.keptEdits.empty()) return;
    std::vector<std::string> shown;
    for (const std::string& path : FReport.keptEdits) shown.push_back(FReport.Shown(path));
    std::cerr << SiteTexts::KeptEdits(shown) << '\n';
  }
  void Failed(const std::string& error) override { Fail(kExitFailure, AutoCodeTexts::Failed(error)); }

 private:
  void Fail(int exitCode, const std::string& message) {
    std::cerr << message << '\n';
    FExitCode = exitCode;
  }

  // A dry run's answer: every file with its state, then the count of each state.
  void PrintStates() const {
    for (const TSiteFile& file : FReport.files) {
      std::string state = SiteFileStateName(file.state);
      state.resize(10, ' ');
      std::cout << state << FReport.Shown(file.path);
      if (FReport.userTemplateFiles.count(file.path) != 0) std::cout << "  (用户模板)";
      std::cout << '\n';
    }
    const char* separator = "";
    for (const TSiteFileState state : {TSiteFileState::New, TSiteFileState::Changed, TSiteFileState::Unchanged,
                                       TSiteFileState::Edited, TSiteFileState::LeftOver}) {
      std::cout << separator << SiteFileStateName(state) << ": " << FReport.Count(state);
      separator = ", ";
    }
    std::cout << '\n' << std::flush;
  }

  const bool FDryRun;
  const bool FKeepEdits;
  TSiteReport FReport;
  int FExitCode = kExitFailure;
};

// The user's templates of a command: --templates DIR, else the data folder's templates/.
std::string UserTemplates(const std::string& chosen, const TDataLocation& location) {
  return chosen.empty() ? location.userTemplates : chosen;
}

// The set of templates a command renders with, after the warnings about older user templates.
std::unique_ptr<TTemplateSet> LoadTemplates(const std::string& folder) {
  auto templates = std::make_unique<TTemplateSet>(folder);
  for (const std::string& warning : templates->Warnings()) std::cerr << warning << '\n';
  return templates;
}

int Generate(const std::string& project, TSiteOptions options, const std::string& templates,
             const TDataLocation& location) {
  const int projectId = RequireProject(project);
  if (projectId < 0) return kExitFailure;
  TPrintingObserver observer(options);
  TGenerationTarget target{projectId, project, location.dataFolder, location.templateFolder};
  target.userTemplates = UserTemplates(templates, location);
  TAutoCode run(target, "corvanthel", observer, options);
  // Nothing else goes on meanwhile: the run needs no thread of its own.
  run.Execute();
  if (observer.ExitCode() == 0) CheckStandardOutput();
  return observer.ExitCode();
}

int Sql(const std::string& project, const std::string& outputFile, const std::string& templates,
        const TDataLocation& location) {
  const int projectId = RequireProject(project);
  if (projectId < 0) return kExitFailure;
  const std::unique_ptr<TTemplateSet> set = LoadTemplates(UserTemplates(templates, location));
  WriteOutput(TDataBaseSql(*set).BuildScript(projectId), outputFile, location);
  return 0;
}

int UpgradeSql(const std::string& project, TDatabaseUpgradeRequest request, const std::string& outputFile,
               const TDataLocation& location) {
  const int projectId = RequireProject(project);
  if (projectId < 0) return kExitFailure;
  request.target = {projectId, project, location.dataFolder, location.templateFolder};
  request.target.userTemplates = UserTemplates("", location);
  const TDatabaseUpgradeOutcome outcome = RunDatabaseUpgrade(request);
  if (outcome.exitCode != 0) {
    std::cerr << outcome.message << '\n';
    return outcome.exitCode;
  }
  WriteOutput(outcome.script, outputFile, location);
  if (!outcome.message.empty()) std::cerr << outcome.message << '\n';
  return 0;
}

// One class's text of one layer, as the run would write it (before its GBK encoding).
int Preview(const std::string& project, const std::string& className, const std::string& layerName,
            const std::string& templates, const TDataLocation& location) {
  TCodeLayer layer = TCodeLayer::Entity;
  bool page = false;
  for (const char* kind : TPageOperate::kPageKinds) page = page || layerName == kind;
  if (!page && !TCodePreview::ParseLayer(layerName, layer)) {
    std::cerr << "corvanthel-cli: the layer must be entity, bll, dal, sql, list, add, edit or show, not '" << layerName
              << "'\n";
    return kExitFailure;
  }
  const int projectId = RequireProject(project);
  if (projectId < 0) return kExitFailure;
  // Only what this class needs: a class of a large project costs no more than that class.
  const TProjectModel model = TModelStore().LoadClassOf(projectId, className);
  const std::unique_ptr<TTemplateSet> set = LoadTemplates(UserTemplates(templates, location));
  const TCodePreview preview(model, *set);
  const TClassModel* entry = preview.FindClass(className);
  if (entry == nullptr) {
    std::cerr << "corvanthel-cli: project '" << project << "' has no class named '" << className << "'\n";
    return kExitFailure;
  }
  if (page) {
    // A page is its markup, its code-behind and the class's page data access, each under its path.
    const std::string problem = preview.ClassProblem(*entry);
    if (!problem.empty()) {
      std::cerr << problem << '\n';
      return kExitCheckFailed;
    }
    std::cout << TPageOperate::PreviewText(model, *entry, layerName, *set);
    CheckStandardOutput();
    return 0;
  }
  const TClassPreview result = preview.Preview(*entry, layer);
  if (!result.ok) {
    std::cerr << result.text << '\n';
    return kExitCheckFailed;
  }
  std::cout << result.text;
  CheckStandardOutput();
  return 0;
}

int ImportSql(const std::string& file, const std::string& project, bool replace) {
  const TSqlFileImportOutcome outcome = ImportSqlFile(file, project, replace);
  for (const std::string& line : outcome.report) std::cout << line << '\n';
  (outcome.exitCode == 0 ? std::cout : std::cerr) << outcome.message << '\n';
  return outcome.exitCode;
}

int Export(const std::string& project, const std::string& outputFile, const TDataLocation& location) {
  const int projectId = RequireProject(project);
  if (projectId < 0) return kExitFailure;
  // 75 MB at 10,000 classes: a file gets it as it is made.
  const TFileContent::TMaker text = [projectId](const TFileContent::TSink& part) {
    TProjectTransfer().ExportProject(projectId, part);
  };
  WriteOutput(text, outputFile, location);
  return 0;
}

int Import(const std::string& file, const std::string& projectName, bool replace) {
  std::set<int> before;
  for (const TNameId& project : TProjectDAO().ListProjects()) before.insert(project.id);
  const TImportOutcome outcome = TProjectTransfer().ImportFile(file, projectName, replace);
  if (!outcome.problems.empty()) {
    for (const std::string& problem : outcome.problems) std::cerr << problem << '\n';
    if (outcome.nameTaken) std::cerr << "corvanthel-cli: use --as NAME for another name or --replace to replace it\n";
    std::cerr << "corvanthel-cli: nothing was imported\n";
    return kExitCheckFailed;
  }
  // Stored: what still stops a generation run is the user's to mend in the catalogue.
  for (const std::string& warning : outcome.warnings) std::cerr << "警告：" << warning << '\n';
  // What was stored, and where, as import-sql says it.
  const TProjectModel stored = TModelStore().LoadProject(outcome.projectId);
  std::size_t members = 0;
  for (const TClassModel& storedClass : stored.classes) members += storedClass.members.size();
  std::cout << "导入 " << stored.classes.size() << " 个类、" << members << " 个成员\n"
            << StoredProjectMessage(stored.projectName, before.count(outcome.projectId) != 0) << '\n';
  CheckStandardOutput();
  return 0;
}

// Lists every problem, one a line; none gives the all-clear line.
int PrintProblems(const std::vector<std::string>& problems) {
  for (const std::string& problem : problems) std::cout << problem << '\n';
  if (problems.empty()) std::cout << kNoProblemsFound << '\n';
  CheckStandardOutput();
  return problems.empty() ? 0 : kExitCheckFailed;
}

// The problem of the user's templates, when they have one.
std::vector<std::string> TemplateProblems(const std::string& folder) {
  try {
    const TTemplateSet templates(folder);
    return templates.Warnings();
  } catch (const TTemplateError& error) {
    return {error.what()};
  }
}

int Check(const std::string& project, const std::string& file, const TDataLocation& location) {
  std::vector<std::string> problems;
  if (!file.empty()) {
    problems = TProjectTransfer().CheckFile(file);
  } else {
    const int projectId = RequireProject(project);
    if (projectId < 0) return kExitFailure;
    problems = TProjectTransfer().CheckProject(projectId);
  }
  // The templates a run would use are checked too: one that does not parse stops every run.
  for (const std::string& problem : TemplateProblems(location.userTemplates)) problems.push_back(problem);
  return PrintProblems(problems);
}

int TemplatesExport(const std::string& folder, const TDataLocation& location) {
  const std::vector<std::string> taken = TTemplateSet::TakenByExport(folder);
  if (!taken.empty()) {
    for (const std::string& path : taken) std::cerr << "corvanthel-cli: " << path << " is there already\n";
    std::cerr << "corvanthel-cli: nothing was exported; move those files away or export to another folder\n";
    return kExitCheckFailed;
  }
  const TProtectedPaths protectedPaths = TProtectedPaths::Of(location.catalogueFile, location.templateFolder);
  for (const std::string& path : TTemplateSet::Export(folder, protectedPaths)) std::cout << path << '\n';
  CheckStandardOutput();
  return 0;
}

int TemplatesStatus(const std::string& folder) {
  const TTemplateSet templates(folder);
  std::cout << TemplateTexts::StatusLine(folder, templates.Replaced()) << '\n';
  for (const TTemplateStatus& status : templates.Status()) {
    std::string name = status.name;
    name.resize(std::max<std::size_t>(name.size() + 1, 28), ' ');
    const std::string revision = "修订 " + std::to_string(status.builtInRevision);
    switch (status.state) {
      case TTemplateState::BuiltIn:
        std::cout << name << "内置 (" << revision << ")\n";
        break;
      case TTemplateState::User:
        std::cout << name << "用户的 " << status.path << " (" << revision << ")\n";
        break;
      case TTemplateState::UserOlder:
        std::cout << name << "用户的, 旧版 " << status.path << " (修订 " << status.userRevision << ", 内置 "
                  << status.builtInRevision << ")\n";
        break;
    }
  }
  CheckStandardOutput();
  for (const std::string& warning : templates.Warnings()) std::cerr << warning << '\n';
  return 0;
}

int TemplatesVariables() {
  std::cout << ViewModel::Reference();
  CheckStandardOutput();
  return 0;
}

// The parsed command line: the folder and the one command to run. Each command adds
// itself as a subcommand with a synopsis line for the usage text; its callback stores
// the action that main runs once the catalogue file is known.
struct TCommandLine {
  CLI::App app{"", "corvanthel-cli"};
  std::string folder;  // --dir; empty: the program folder or the user's data folder
  TDataLocation location;
  std::vector<std::pair<std::string, std::string>> commands;  // each command's name and its arguments' synopsis
  std::function<int()> action;

  CLI::App* AddCommand(const std::string& name, const std::string& arguments, const std::string& summary) {
    commands.emplace_back(name, arguments);
    return app.add_subcommand(name, summary);
  }

  std::string Usage() const {
    std::string text = "Usage:\n";
    for (const auto& [name, arguments] : commands) {
      std::string line = "corvanthel-cli [--dir FOLDER] " + name + (arguments.empty() ? "" : " " + arguments);
      // A long synopsis puts its summary under the others' summaries.
      if (line.size() <= 54)
        line.resize(54, ' ');
      else
        line += "\n" + std::string(56, ' ');
      text += "  " + line + " " + app.get_subcommand(name)->get_description() + "\n";
    }
    return text + "  corvanthel-cli --help | --version\n";
  }
};

// The words after the usage and the options in --help.
const char* const kHelpNotes =
    "Each command's options: corvanthel-cli COMMAND --help.\n"
    "FOLDER holds projects.mdb, bak/ and projects/. Default: the folder of this program when it\n"
    "holds bak/ and is writable, otherwise $XDG_DATA_HOME/corvanthel (~/.local/share/corvanthel)\n"
    "with the installed template site.\n"
    "Exit codes: 0 success, 1 the project or file has problems, 2 any other failure.";

// --help of the program itself: the usage of every command, once, then the program's own options and the
// notes. A command's --help stays CLI11's own.
class THelpFormatter : public CLI::Formatter {
 public:
  explicit THelpFormatter(const TCommandLine& line) : FLine(line) {}
  std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override {
    if (app->get_parent() != nullptr) return CLI::Formatter::make_help(app, name, mode);
    return FLine.Usage() + make_groups(app, mode) + "\n" + make_footer(app);
  }

 private:
  const TCommandLine& FLine;
};

// A project name on the command line is never empty.
const CLI::Validator kProjectName(
    [](std::string& name) { return name.empty() ? std::string("a project name cannot be empty") : std::string(); }, "",
    "project name");

// A file name on the command line is never empty.
const CLI::Validator kFileName(
    [](std::string& file) { return file.empty() ? std::string("a file name cannot be empty") : std::string(); }, "FILE",
    "file name");

// --templates DIR: the user's templates of one command instead of the data folder's templates/.
std::shared_ptr<std::string> AddTemplatesOption(CLI::App* command) {
  auto folder = std::make_shared<std::string>();
  command->add_option("--templates", *folder, "use the templates of DIR over the built-in ones")
      ->type_name("DIR")
      ->check(CLI::ExistingDirectory);
  return folder;
}

void AddListCommand(TCommandLine& line) {
  CLI::App* command = line.AddCommand("list", "", "one project name per line");
  command->callback([&line] { line.action = [] { return List(); }; });
}

void AddGenerateCommand(TCommandLine& line) {
  CLI::App* command =
      line.AddCommand("generate", "PROJECT [--dry-run] [--keep-edits] [--pages] [--templates DIR]",
                      "the generation run, headless");
  auto project = std::make_shared<std::string>();
  auto options = std::make_shared<TSiteOptions>();
  auto templates = AddTemplatesOption(command);
  command->add_option("PROJECT", *project, "the project's name")->required()->check(kProjectName);
  command->add_flag("--dry-run", options->dryRun,
                    "write nothing; print each file's state (new, changed, unchanged, edited, left-over) and counts");
  command->add_flag("--keep-edits", options->keepEdits,
                    "leave files edited by hand since the last run; write their new text to NAME.new");
  command->add_flag("--pages", options->pages,
                    "also write the admin pages of every class: list and search, add and edit, show");
  command->callback([&line, project, options, templates] {
    line.action = [&line, project, options, templates] {
      return Generate(*project, *options, *templates, line.location);
    };
  });
}

void AddSqlCommand(TCommandLine& line) {
  CLI::App* command = line.AddCommand("sql", "PROJECT [-o FILE] [--templates DIR]", "the SQL Server table script");
  auto project = std::make_shared<std::string>();
  auto outputFile = std::make_shared<std::string>();
  auto templates = AddTemplatesOption(command);
  command->add_option("PROJECT", *project, "the project's name")->required()->check(kProjectName);
  command->add_option("-o", *outputFile, "write the script to FILE instead of standard output")
      ->type_name("FILE")
      ->check(CLI::Validator(
          [](std::string& file) { return file.empty() ? std::string("-o needs a file name") : std::string(); }, "FILE",
          "file name"));
  command->callback([&line, project, outputFile, templates] {
    line.action = [&line, project, outputFile, templates] {
      return Sql(*project, *outputFile, *templates, line.location);
    };
  });
}

void AddUpgradeSqlCommand(TCommandLine& line) {
  CLI::App* command =
      line.AddCommand("upgrade-sql", "PROJECT [--from FILE] [-o FILE] [--allow-data-loss] [--record]",
                      "the script that upgrades the project's database, keeping its rows");
  auto project = std::make_shared<std::string>();
  auto outputFile = std::make_shared<std::string>();
  auto request = std::make_shared<TDatabaseUpgradeRequest>();
  command->add_option("PROJECT", *project, "the project's name")->required()->check(kProjectName);
  command->add_option("--from", request->fromFile,
                      "start from this version file or exported project file instead of the site's latest version")
      ->type_name("FILE")
      ->check(kFileName);
  command->add_option("-o", *outputFile, "write the script to FILE instead of standard output")
      ->type_name("FILE")
      ->check(kFileName);
  command->add_flag("--allow-data-loss", request->allowDataLoss,
                    "no check before steps that may lose data; a removed class's table is dropped");
  command->add_flag("--record", request->record, "store the script and the project as the site's next version");
  command->callback([&line, project, outputFile, request] {
    line.action = [&line, project, outputFile, request] {
      return UpgradeSql(*project, *request, *outputFile, line.location);
    };
  });
}

void AddPreviewCommand(TCommandLine& line) {
  CLI::App* command = line.AddCommand("preview", "PROJECT CLASS [entity|bll|dal|sql|list|add|edit|show] [--templates DIR]",
                                      "one class's code or admin page, nothing written");
  auto templates = AddTemplatesOption(command);
  auto project = std::make_shared<std::string>();
  auto className = std::make_shared<std::string>();
  auto layer = std::make_shared<std::string>("entity");
  command->add_option("PROJECT", *project, "the project's name")->required()->check(kProjectName);
  command->add_option("CLASS", *className, "the class's name")->required();
  command->add_option("LAYER", *layer, "entity (the default), bll, dal, sql, or a page: list, add, edit, show")
      ->type_name("entity|bll|dal|sql|list|add|edit|show");
  command->callback([&line, project, className, layer, templates] {
    line.action = [&line, project, className, layer, templates] {
      return Preview(*project, *className, *layer, *templates, line.location);
    };
  });
}

void AddImportSqlCommand(TCommandLine& line) {
  CLI::App* command =
      line.AddCommand("import-sql", "FILE --project NAME [--replace]", "a project from a SQL Server table script");
  auto file = std::make_shared<std::string>();
  auto project = std::make_shared<std::string>();
  auto replace = std::make_shared<bool>(false);
  command->add_option("FILE", *file, "the script: UTF-8, UTF-16 LE with a byte-order mark, or GBK")->required();
  command->add_option("--project", *project, "the name of the new project")
      ->type_name("NAME")
      ->required()
      ->check(kProjectName);
  command->add_flag("--replace", *replace, "replace the first project of that name instead of refusing");
  command->callback([&line, file, project, replace] {
    line.action = [file, project, replace] { return ImportSql(*file, *project, *replace); };
  });
}

void AddExportCommand(TCommandLine& line) {
  CLI::App* command = line.AddCommand("export", "PROJECT [-o FILE]", "the project as a JSON project file");
  auto project = std::make_shared<std::string>();
  auto outputFile = std::make_shared<std::string>();
  command->add_option("PROJECT", *project, "the project's name")->required()->check(kProjectName);
  command->add_option("-o", *outputFile, "write the file to FILE instead of standard output")
      ->type_name("FILE")
      ->check(kFileName);
  command->callback([&line, project, outputFile] {
    line.action = [&line, project, outputFile] { return Export(*project, *outputFile, line.location); };
  });
}

void AddImportCommand(TCommandLine& line) {
  CLI::App* command = line.AddCommand("import", "FILE [--as NAME] [--replace]", "a project file as a new project");
  auto file = std::make_shared<std::string>();
  auto name = std::make_shared<std::string>();
  auto replace = std::make_shared<bool>(false);
  command->add_option("FILE", *file, "the project file")->required()->check(kFileName);
  command->add_option("--as", *name, "store the project under NAME instead of the file's name")
      ->type_name("NAME")
      ->check(kProjectName);
  command->add_flag("--replace", *replace, "replace the classes and members of a project of that name");
  command->callback(
      [&line, file, name, replace] { line.action = [file, name, replace] { return Import(*file, *name, *replace); }; });
}

void AddCheckCommand(TCommandLine& line) {
  CLI::App* command = line.AddCommand("check", "PROJECT | --file FILE", "every problem of a project or file");
  auto project = std::make_shared<std::string>();
  auto file = std::make_shared<std::string>();
  CLI::Option* projectOption = command->add_option("PROJECT", *project, "the project's name")->check(kProjectName);
  CLI::Option* fileOption =
      command->add_option("--file", *file, "check a project file instead")->type_name("FILE")->check(kFileName);
  projectOption->excludes(fileOption);
  command->require_option(1);
  command->callback([&line, project, file] {
    line.action = [&line, project, file] { return Check(*project, *file, line.location); };
  });
}

void AddTemplatesCommand(TCommandLine& line) {
  CLI::App* command = line.AddCommand("templates", "export [DIR] | status [--templates DIR] | variables",
                                      "the generation templates: copy, state, variables");
  auto action = std::make_shared<std::string>();
  auto folder = std::make_shared<std::string>();
  auto templates = AddTemplatesOption(command);
  command->add_option("ACTION", *action, "export, status or variables")
      ->required()
      ->check(CLI::IsMember({"export", "status", "variables"}));
  command->add_option("DIR", *folder, "export: the folder to write (default: the data folder's templates/)");
  command->callback([&line, action, folder, templates] {
    line.action = [&line, action, folder, templates] {
      if (*action == "export") return TemplatesExport(UserTemplates(*folder, line.location), line.location);
      if (*action == "status") return TemplatesStatus(UserTemplates(*templates, line.location));
      return TemplatesVariables();
    };
  });
}

// Every command and option of the program, in the order --help lists them.
void DefineCommandLine(TCommandLine& line) {
  line.app.set_help_flag("-h,--help", "print this help and exit");
  line.app.add_option("--dir", line.folder, "the folder of projects.mdb, bak/ and projects/")
      ->type_name("FOLDER")
      ->check(CLI::ExistingDirectory);
  line.app.set_version_flag("--version", std::string("corvanthel-cli ") + CORVANTHEL_VERSION,
                            "print the program's name and version and exit");
  line.app.require_subcommand(1);
  AddListCommand(line);
  AddGenerateCommand(line);
  AddSqlCommand(line);
  AddUpgradeSqlCommand(line);
  AddPreviewCommand(line);
  AddExportCommand(line);
  AddImportCommand(line);
  AddCheckCommand(line);
  AddImportSqlCommand(line);
  AddTemplatesCommand(line);
  line.app.formatter(std::make_shared<THelpFormatter>(line));
  line.app.footer(kHelpNotes);
}

}  // namespace

#ifdef CORVANTHEL_COMMAND_LINE_DOCS
// Built a second time as the build's writer of the manual page and the bash completion, so that both
// come from the very definition the program parses with.
int main(int argc, char** argv) {
  TCommandLine line;
  DefineCommandLine(line);
  return CommandLineDocs::Main(line.app, line.commands, argc, argv);
}
#else
namespace {

// A usage mistake in one line: CLI11's words, folded onto that line, and where to look. A word where the
// command should be is named as what it is.
std::string UsageMistake(const CLI::App& app, const CLI::ParseError& error) {
  std::string text = error.what();
  const std::vector<std::string> left = app.remaining();
  if (app.get_subcommands().empty() && !left.empty() && left.front().rfind('-', 0) != 0)
    text = "'" + left.front() + "' is not a command";
  std::replace(text.begin(), text.end(), '\n', ' ');
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return "corvanthel-cli: " + text + " (see corvanthel-cli --help)";
}

}  // namespace

int main(int argc, char** argv) {
  TCommandLine line;
  DefineCommandLine(line);
  try {
    line.app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return line.app.exit(error);  // --help, --version
    std::cerr << UsageMistake(line.app, error) << '\n';
    return kExitFailure;
  }

  try {
    line.location = DataLocation::Resolve(DataLocation::FromEnvironment(line.folder));
    DataLocation::PrepareDataFolder(line.location);
    TDbHelper::SetCatalogueFile(line.location.catalogueFile);
    return line.action();
  } catch (const TProjectProblemError& error) {
    std::cerr << error.what() << '\n';
    return kExitCheckFailed;
  } catch (const TTemplateError& error) {
    std::cerr << error.what() << '\n';
    return kExitCheckFailed;
  } catch (const std::exception& error) {
    std::cerr << error.what() << '\n';
    return kExitFailure;
  }
}
#endif
