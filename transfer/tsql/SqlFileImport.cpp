#include "transfer/tsql/SqlFileImport.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "catalogue/ModelStore.h"
#include "model/NameRules.h"
#include "transfer/tsql/SqlImport.h"
#include "transfer/tsql/SqlTokenizer.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw TSqlScriptError("无法读取文件 " + path + ": " + std::strerror(errno));
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw TSqlScriptError("无法读取文件 " + path + ": " + std::strerror(errno));
  return bytes;
}

}  // namespace

std::string StoredProjectMessage(const std::string& projectName, bool replaced) {
  return (replaced ? "已替换工程“" : "已导入为工程“") + projectName + "”";
}

TSqlFileImportOutcome ImportSqlFile(const std::string& path, const std::string& projectName, bool replace) {
  TSqlFileImportOutcome outcome;
  // The name becomes the site's folder: the rule of a new project's name holds here as in the window, or
  // "../x" would be stored and every later run refuse it.
  const std::string nameProblem = NameRules::ProjectNameProblem(projectName);
  if (!nameProblem.empty()) {
    outcome.exitCode = 1;
    outcome.message = "工程名称“" + NameRules::Printable(projectName) + "”不能用，未导入：" + nameProblem;
    return outcome;
  }
  TSqlImportResult result;
  try {
    result = ImportSqlScript(ReadFile(path), projectName);
  } catch (const TSqlScriptError& error) {
    outcome.message = path + ": " + error.what();
    return outcome;
  }
  outcome.report = result.report;
  if (result.project.classes.empty()) {
    outcome.exitCode = 1;
    // A table that is there but could not be read is not "no table": say which it is.
    if (result.tableCount > 0)
      outcome.message = "脚本中没有可导入的表，未导入任何工程";
    else if (result.unreadableTableCount > 0)
      outcome.message = "脚本中的 CREATE TABLE 都读不懂，未导入任何工程";
    else
      outcome.message = "脚本中没有 CREATE TABLE，未导入任何工程";
    return outcome;
  }
  try {
    // A name is taken as it is for the import of a project file.
    const int existing = TModelStore().FindProjectByName(projectName);
    if (existing >= 0 && !replace) {
      outcome.exitCode = 1;
      outcome.message = "工程“" + projectName + "”已经存在，未导入";
      return outcome;
    }
    if (existing >= 0) {
      TModelStore().ReplaceProject(existing, result.project);
      outcome.projectId = existing;
      outcome.message = StoredProjectMessage(projectName, true);
    } else {
      outcome.projectId = TModelStore().AddProject(result.project);
      outcome.message = StoredProjectMessage(projectName, false);
    }
  } catch (const std::runtime_error& error) {
    outcome.message = error.what();
    return outcome;
  }
  outcome.exitCode = 0;
  return outcome;
}
