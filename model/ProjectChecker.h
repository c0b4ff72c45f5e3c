#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "model/ProjectModel.h"

// What is wrong with a project before it can be generated or scripted.
enum class TProblemKind {
  ProjectName,     // the project name cannot be a folder name
  ClassName,       // not an identifier, reserved, taken (case-insensitively), ...
  MemberName,      // not an identifier, reserved, named like its class, ...
  Length,          // a string length outside 1..8000
  Text,            // a friendly name or comment that would break the generated code
  KeyMembers,      // a class without exactly one key member
  DisplayMembers,  // a class without exactly one display member
  Reference,       // a member type naming no class of the project
};

struct TProblem {
  TProblemKind kind;
  int classId = 0;         // 0 for a problem of the project itself
  std::string className;   // empty for a problem of the project itself
  std::string memberName;  // empty unless the problem is a member's
  std::string message;     // the whole text shown to the user
  std::string memberType;  // the type a reference problem names; empty otherwise
};

// A project the table script cannot be written for; what() is the problem's message.
class TProjectProblemError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Every problem of the project, in catalogue order. Empty when it can be generated.
std::vector<TProblem> CheckProject(const TProjectModel& project);

// The problems only a run that writes the admin pages has: a class named like another class's page data
// access (class C's is dalCPages in App_Code/DAL/dalCPages.cs, which is also the data access of a class
// CPages), found without regard to case as Windows compares file names. Empty when there is none.
std::vector<TProblem> CheckPages(const TProjectModel& project);

// The problem of a project name alone, as CheckProject reports it; none when the name passes. The run
// asks it of the name it builds the site folder from.
std::vector<TProblem> CheckProjectName(const std::string& projectName);

// True for the problems that make names, files or SQL unsafe or broken: project, class and member names,
// lengths and texts. The generation run and the table script stop at these before writing anything; the
// script tolerates the rest (a class without a key gets no table, an unknown reference no column).
bool IsUnsafe(TProblemKind kind);

// The problem a generation run stops at: the first unsafe problem in catalogue order; else the first key
// problem, then the first display problem, then the first reference problem. nullptr when there is none.
const TProblem* FirstProblemOfRun(const std::vector<TProblem>& problems);

// Raises TProjectProblemError with the first unsafe problem of the project, if it has one.
void RefuseUnsafeProject(const TProjectModel& project);

// The messages of the problems that stop a generation run but may stay in a catalogue: the window shows
// them for the class, and the command line prints them.
namespace CheckerTexts {
std::string PrimaryKeyError(const std::string& className);
std::string DisplayMemberError(const std::string& className);
std::string ReferenceError(const std::string& className, const std::string& memberName, const std::string& memberType);
std::string PagesNameError(const std::string& className, const std::string& pagesOf);
}  // namespace CheckerTexts
