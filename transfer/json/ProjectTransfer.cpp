#include "transfer/json/ProjectTransfer.h"

#include "transfer/json/ModelJson.h"
#include "catalogue/ModelStore.h"
#include "model/ProjectChecker.h"

std::string TProjectTransfer::ExportProject(int projectId) {
  return TModelJson().Export(TModelStore().LoadProject(projectId));
}

void TProjectTransfer::ExportProject(int projectId, const std::function<void(std::string_view)>& part) {
  TModelJson().Export(TModelStore().LoadProject(projectId), part);
}

TImportOutcome TProjectTransfer::ImportFile(const std::string& path, const std::string& projectName, bool replace) {
  TModelJsonResult read = TModelJson().ImportFile(path, projectName);
  TImportOutcome outcome;
  outcome.problems = std::move(read.problems);
  outcome.projectName = read.project.projectName;
  TModelStore store;
  const int existing = read.project.projectName.empty() ? -1 : store.FindProjectByName(read.project.projectName);
  if (existing > 0 && !replace) {
    outcome.nameTaken = true;
    outcome.problems.push_back("工程“" + read.project.projectName + "”已存在");
  }
  // Only the problems of a generation run: the catalogue holds them, the user mends them there.
  if (!outcome.nameTaken && outcome.problems.size() == read.runProblems.size()) {
    outcome.warnings = std::move(outcome.problems);
    outcome.problems.clear();
  }
  if (!outcome.problems.empty()) return outcome;
  if (existing > 0) {
    store.ReplaceProject(existing, read.project);
    outcome.projectId = existing;
  } else {
    outcome.projectId = store.AddProject(read.project);
  }
  return outcome;
}

std::vector<std::string> TProjectTransfer::CheckProject(int projectId) {
  std::vector<std::string> lines;
  for (const TProblem& problem : ::CheckProject(TModelStore().LoadProject(projectId))) lines.push_back(problem.message);
  return lines;
}

std::vector<std::string> TProjectTransfer::CheckFile(const std::string& path) {
  return TModelJson().ImportFile(path).problems;
}
