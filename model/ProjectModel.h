#pragma once

#include <string>
#include <vector>

#include "model/Member.h"

// One class of a project in memory: the t_class row and its members in catalogue order.
struct TClassModel {
  int classId = 0;
  std::string className;
  std::string friendName;
  std::vector<TMember> members;

  // The first key member in catalogue order (the one the stores' key lookup returns); nullptr when none.
  const TMember* KeyMember() const;
  int CountKeyMembers() const;
  int CountDisplayMembers() const;
};

// One project in memory: the t_project row and its classes in catalogue order. The generators, the table
// script, the checker, export and import all work on this instead of asking the catalogue per member.
struct TProjectModel {
  int projectId = 0;
  std::string projectName;
  std::vector<TClassModel> classes;

  // The class a member type names. Class names compare without regard to ASCII case, as the catalogue and
  // the generated SQL Server tables do; nullptr when the project has no such class.
  const TClassModel* FindClass(const std::string& className) const;
};
