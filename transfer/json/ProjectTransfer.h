#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What an import did: the project it stored, or every reason it stored nothing.
struct TImportOutcome {
  int projectId = 0;                  // the stored project; 0 when nothing was stored
  std::vector<std::string> problems;  // one line each; empty when the project was stored
  bool nameTaken = false;             // one of the problems: a project of that name exists already
  std::string projectName;            // the name the project is stored (or was to be stored) under
  // Problems of a stored project that stop a generation run until they are mended (keys, display members,
  // unknown references), one line each in file order; always empty when nothing was stored.
  std::vector<std::string> warnings;
};

// Export, import and check of whole projects, shared by the command line and the window so that both
// follow the same rules.
class TProjectTransfer {
 public:
  // The project as the JSON text of a project file.
  std::string ExportProject(int projectId);
  // The same text handed to part 64 KB at a time as it is made: the file of 10,000 classes is 75 MB.
  void ExportProject(int projectId, const std::function<void(std::string_view)>& part);

  // Reads and checks the whole file, then stores it as a new project, named projectName when that is not
  // empty. A project of that name already there is a problem, unless replace is set: then its classes and
  // members give way to the file's. Nothing is stored when there is a problem the catalogue must never hold
  // (a malformed file, names, texts, lengths); problems that only stop a generation run are stored with the
  // project, as the window lets a user make them, and come back as warnings. A file that cannot be read and
  // a failing catalogue raise their errors.
  TImportOutcome ImportFile(const std::string& path, const std::string& projectName, bool replace);

  // Every problem of a stored project, one line each, in catalogue order.
  std::vector<std::string> CheckProject(int projectId);
  // Every problem of a project file, one line each, starting with its line in the file.
  std::vector<std::string> CheckFile(const std::string& path);
};

// Shown by check when a project or file has no problem.
inline const char* const kNoProblemsFound = "没有发现问题";
