#include "generation/DatabaseUpgrade.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <system_error>

#include "catalogue/ModelStore.h"
#include "generation/TemplateSet.h"
#include "generation/UpgradeSql.h"
#include "model/ProjectChecker.h"
#include "site/SiteWriter.h"
#include "transfer/json/ModelJson.h"
#include "transfer/json/VersionJson.h"

namespace {

constexpr int kExitProblem = 1;
constexpr int kExitFailure = 2;

// A problem the user must mend: the upgrade stops with its message.
class TUpgradeProblem : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string Digits(int number) {
  std::string digits = std::to_string(number);
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
  return digits;
}

// The problems of a file that make it no model to start from: all but those that only stop a generation run.
std::string FileProblems(const TModelJsonResult& result) {
  std::string text;
  for (const std::string& problem : result.problems) {
    bool runOnly = false;
    for (const std::string& run : result.runProblems) runOnly = runOnly || run == problem;
    if (!runOnly) text += (text.empty() ? "" : "\n") + problem;
  }
  return text;
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("无法读取文件“" + path + "”：" + std::strerror(errno));
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) throw std::runtime_error("无法读取文件“" + path + "”：" + std::strerror(errno));
  return text;
}

}  // namespace

TDatabaseUpgradeOutcome RunDatabaseUpgrade(const TDatabaseUpgradeRequest& request) {
  TDatabaseUpgradeOutcome outcome;
  const TGenerationTarget& target = request.target;
  const std::string shownSite = ShownSiteOf(target);
  try {
    const TProjectModel current = TModelStore().LoadProject(target.projectId);
    RefuseUnsafeProject(current);

    std::error_code error;
    if (!std::filesystem::is_directory(SiteFolderOf(target), error))
      throw TUpgradeProblem("没有找到网站文件夹“" + shownSite +
                            "”：升级脚本从网站记录的数据库版本开始，请先生成代码，第一次生成会记录第一个版本");

    TSiteOptions siteOptions;
    siteOptions.dryRun = !request.record;
    // Holds the site (exclusively to record) from reading its versions until the new one is on record.
    TSiteWriter site(target, siteOptions);
    const TSiteVersions versions = site.ReadVersions();
    if (!versions.damage.empty()) throw TUpgradeProblem(versions.damage);

    TUpgradeOptions options;
    options.allowDataLoss = request.allowDataLoss;
    TProjectModel from;
    if (!request.fromFile.empty()) {
      const std::string text = ReadTextFile(request.fromFile);
      const bool version = TVersionJson::IsVersion(text);
      const TModelJsonResult read = version ? TVersionJson().Import(text) : TModelJson().Import(text);
      const std::string problems = FileProblems(read);
      if (!problems.empty()) throw TUpgradeProblem("“" + request.fromFile + "”不能作为数据库的版本：\n" + problems);
      from = read.project;
      options.matchById = version;
      options.fromLabel = (version ? "版本文件 " : "工程文件 ") + request.fromFile;
      if (request.record && !versions.versions.empty())
        throw TUpgradeProblem("网站“" + shownSite +
                              "”已有版本记录，--record 记录的脚本须从最新的版本开始：请去掉 --from 或 --record");
    } else {
      if (versions.versions.empty())
        throw TUpgradeProblem(
            "网站“" + shownSite + "”" + DatabaseUpgradeTexts::kNoBaseline +
            "：它生成于记录数据库版本之前，数据库可能与较早的项目一致。请在命令行用 upgrade-sql --from FILE "
            "指定建库时的工程文件（export 导出）或版本文件");
      const TSiteVersion& latest = versions.versions.back();
      const TModelJsonResult read = TVersionJson().Import(latest.model);
      const std::string problems = FileProblems(read);
      const std::string shown = shownSite + "/" + SiteVersionPaths::Model(latest.number);
      if (!problems.empty()) throw TUpgradeProblem("版本文件“" + shown + "”已损坏：\n" + problems);
      from = read.project;
      options.fromLabel = "版本 " + Digits(latest.number) + "（" + shown + "）";
    }

    // The user's templates, as a run of the site uses them.
    std::unique_ptr<TTemplateSet> userTemplates;
    if (!target.userTemplates.empty()) userTemplates = std::make_unique<TTemplateSet>(target.userTemplates);
    const TUpgradeScript script =
        BuildUpgradeScript(from, current, options, userTemplates ? *userTemplates : TTemplateSet::BuiltIn());
    outcome.script = script.text;
    outcome.nothingToDo = script.nothingToDo;
    if (!request.record) return outcome;
    if (versions.versions.empty()) {
      // A site without versions, upgraded from a file: the database the script leaves is the first version.
      site.AddVersion(0, "", TVersionJson().Export(current));
      outcome.recordedVersion = 0;
    } else if (!script.nothingToDo) {
      const int next = versions.versions.back().number + 1;
      site.AddVersion(next, script.text, TVersionJson().Export(current));
      outcome.recordedVersion = next;
    }
    if (outcome.recordedVersion >= 0)
      outcome.message =
          "已记录版本 " + Digits(outcome.recordedVersion) + "：" + shownSite + "/" + SiteVersionPaths::kFolder;
    return outcome;
  } catch (const TUpgradeProblem& problem) {
    outcome.exitCode = kExitProblem;
    outcome.message = problem.what();
  } catch (const TProjectProblemError& problem) {
    outcome.exitCode = kExitProblem;
    outcome.message = problem.what();
  } catch (const TTemplateError& problem) {
    outcome.exitCode = kExitProblem;
    outcome.message = problem.what();
  } catch (const std::exception& failure) {
    outcome.exitCode = kExitFailure;
    outcome.message = failure.what();
  }
  outcome.script.clear();
  outcome.nothingToDo = false;
  outcome.recordedVersion = -1;
  return outcome;
}
