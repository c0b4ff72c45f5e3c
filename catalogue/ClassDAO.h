#pragma once

#include <functional>
#include <string>

#include "catalogue/DbHelper.h"
#include "catalogue/NameId.h"

// Reads and writes t_class, and keeps members consistent when a class is
// deleted or renamed.
class TClassDAO {
 public:
  // Empty when the class does not exist.
  std::string GetClassNameById(int classId);
  std::string GetFriendNameById(int classId);
  // -1 when the project has no class of that name.
  int GetClassIdByName(int projectId, const std::string& className);
  int CountClassesByName(int projectId, const std::string& className);
  void AddClass(int projectId, const std::string& className, const std::string& friendName);
  // Deletes the class and its members in one transaction.
  void DeleteClass(int classId);
  // Renames the class and, in the same transaction, every member type of the project that named it.
  void UpdateClass(int projectId, int classId, const std::string& className, const std::string& friendName);
  TNameIdList ListClassesOfProject(int projectId);
  TNameIdList ListOtherClasses(int projectId, int classId);

  // True when every listed class has exactly one key member. At the first class that
  // has not, calls onFailure with its id and returns false; later classes are not checked.
  bool CheckKeyMembers(const TNameIdList& classes, const std::function<void(int classId)>& onFailure);
  // The same for the display member.
  bool CheckDisplayMembers(const TNameIdList& classes, const std::function<void(int classId)>& onFailure);

 private:
  TNameIdList ListClasses(const std::string& sql);
  bool CheckOneMemberWithFlag(const TNameIdList& classes, const std::string& flagCondition,
                              const std::function<void(int classId)>& onFailure);

  TDbHelper FDbHelper;
};
