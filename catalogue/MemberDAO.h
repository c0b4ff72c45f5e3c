#pragma once

#include <memory>
#include <string>

#include "catalogue/DbHelper.h"
#include "model/Member.h"

// Reads and writes t_member.
class TMemberDAO {
 public:
  void AddMember(const TMember& member);
  // Overwrites every column but the three ids of the row with the member's id.
  void UpdateMember(const TMember& member);
  void DeleteMember(int memberId);
  // Every column of the class's members, in catalogue order.
  std::unique_ptr<TDbQuery> OpenMembersOfClass(int classId);
  std::unique_ptr<TDbQuery> OpenNonKeyMembersOfClass(int classId);
  // Empty when there is no such member.
  std::unique_ptr<TMember> GetMemberById(int memberId);
  // The class's key member (the first one, should there be several); empty when none.
  std::unique_ptr<TMember> GetKeyMemberOfClass(int classId);
  std::unique_ptr<TMember> GetKeyMemberByClassName(int projectId, const std::string& className);

  // Fills a record from the current row of a member result set.
  static std::unique_ptr<TMember> ReadMember(const TDbQuery& query);

 private:
  std::unique_ptr<TMember> ReadFirstMember(const std::string& sql);

  TDbHelper FDbHelper;
};
