#pragma once

#include <string>
#include <vector>

#include "model/ProjectModel.h"

// What is wrong with a project before it can be generated or scripted.
enum class TProblemKind {
  ProjectName,     // the project name cannot be a folder name
  ClassName,       // not an identifier, reserved, taken (case-insensitively), ...
  MemberName,      // not an identifier, reserved, named like its class, ...
  KeyMembers,      // a class without exactly one key member
  DisplayMembers,  // a class without exactly one display member
  Reference,       // a member type naming no class of the project
  Length,          // a string length outside 1..8000
  Text,            // a friendly name or comment that would break the generated code
};

struct TProblem {
  TProblemKind kind;
  int classId = 0;         // 0 for a problem of the project itself
  std::string className;   // empty for a problem of the project itself
  std::string memberName;  // empty unless the problem is a member's
  std::string message;     // the whole text shown to the user
};

// Every problem of the project, in catalogue order. Empty when it can be generated.
std::vector<TProblem> CheckProject(const TProjectModel& project);
