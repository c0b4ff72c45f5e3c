#pragma once

#include <string>

#include "catalogue/DbHelper.h"
#include "catalogue/NameId.h"

// Reads and writes t_project.
class TProjectDAO {
 public:
  int CountProjectsByName(const std::string& projectName);
  void AddProject(const std::string& projectName);
  void RenameProject(int projectId, const std::string& projectName);
  // Deletes the project with its classes and members in one transaction.
  void DeleteProject(int projectId);
  TNameIdList ListProjects();

 private:
  TDbHelper FDbHelper;
};
