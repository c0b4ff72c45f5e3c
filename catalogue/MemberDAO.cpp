#include "catalogue/MemberDAO.h"

#include "catalogue/ClassDAO.h"

namespace {
std::string Int(int value) {
  return std::to_string(value);
}
}  // namespace

void TMemberDAO::AddMember(const TMember& m) {
  FDbHelper.ExecSql(
      "insert into t_member(projectId,classId,memberName,memberType,memberLength,memberIsPri,memberComment,"
      "memberIsMust,memberIsInteger,memberIsFloat,queryFlag,memberIsDisplay,memberQueryDisplay) values (" +
      Int(m.GetProjectId()) + "," + Int(m.GetClassId()) + "," + TDbHelper::Quote(m.GetMemberName()) + "," +
      TDbHelper::Quote(m.GetMemberType()) + "," + Int(m.GetMemberLength()) + "," + Int(m.GetMemberIsPri()) + "," +
      TDbHelper::Quote(m.GetMemberComment()) + "," + Int(m.GetMemberIsMust()) + "," + Int(m.GetMemberIsInteger()) +
      "," + Int(m.GetMemberIsFloat()) + "," + Int(m.GetQueryFlag()) + "," + Int(m.GetMemberIsDisplay()) + "," +
      Int(m.GetMemberQueryDisplay()) + ")");
}

void TMemberDAO::UpdateMember(const TMember& m) {
  FDbHelper.ExecSql(
      "update t_member set memberName=" + TDbHelper::Quote(m.GetMemberName()) +
      ",memberType=" + TDbHelper::Quote(m.GetMemberType()) + ",memberLength=" + Int(m.GetMemberLength()) +
      ",memberIsPri=" + Int(m.GetMemberIsPri()) + ",memberComment=" + TDbHelper::Quote(m.GetMemberComment()) +
      ",memberIsMust=" + Int(m.GetMemberIsMust()) + ",memberIsInteger=" + Int(m.GetMemberIsInteger()) +
      ",memberIsFloat=" + Int(m.GetMemberIsFloat()) + ",queryFlag=" + Int(m.GetQueryFlag()) +
      ",memberIsDisplay=" + Int(m.GetMemberIsDisplay()) + ",memberQueryDisplay=" + Int(m.GetMemberQueryDisplay()) +
      " where memberId=" + Int(m.GetMemberId()));
}

void TMemberDAO::DeleteMember(int memberId) {
  FDbHelper.ExecSql("delete from t_member where memberId=" + Int(memberId));
}

std::unique_ptr<TDbQuery> TMemberDAO::OpenMembersOfClass(int classId) {
  return FDbHelper.OpenQuery("select * from t_member where classId=" + Int(classId));
}

std::unique_ptr<TDbQuery> TMemberDAO::OpenNonKeyMembersOfClass(int classId) {
  return FDbHelper.OpenQuery("select * from t_member where memberIsPri=0 and classId=" + Int(classId));
}

std::unique_ptr<TMember> TMemberDAO::GetMemberById(int memberId) {
  std::unique_ptr<TMember> member = ReadFirstMember("select * from t_member where memberId=" + Int(memberId));
  if (member) member->SetMemberId(memberId);
  return member;
}

std::unique_ptr<TMember> TMemberDAO::GetKeyMemberOfClass(int classId) {
  return ReadFirstMember("select * from t_member where memberIsPri=1 and classId=" + Int(classId));
}

std::unique_ptr<TMember> TMemberDAO::GetKeyMemberByClassName(int projectId, const std::string& className) {
  const int classId = TClassDAO().GetClassIdByName(projectId, className);
  return ReadFirstMember("select * from t_member where memberIsPri=1 and projectId=" + Int(projectId) +
                         " and classId=" + Int(classId));
}

std::unique_ptr<TMember> TMemberDAO::ReadFirstMember(const std::string& sql) {
  std::unique_ptr<TDbQuery> query = FDbHelper.OpenQuery(sql);
  query->First();
  if (query->Eof()) return nullptr;
  return ReadMember(*query);
}

std::unique_ptr<TMember> TMemberDAO::ReadMember(const TDbQuery& q) {
  auto member = std::make_unique<TMember>();
  member->SetMemberId(q.FieldByName("memberId").AsInteger());
  member->SetProjectId(q.FieldByName("projectId").AsInteger());
  member->SetClassId(q.FieldByName("classId").AsInteger());
  member->SetMemberName(q.FieldByName("memberName").AsString());
  member->SetMemberType(q.FieldByName("memberType").AsString());
  member->SetMemberLength(q.FieldByName("memberLength").AsInteger());
  member->SetMemberIsPri(q.FieldByName("memberIsPri").AsInteger());
  member->SetMemberComment(q.FieldByName("memberComment").AsString());
  member->SetMemberIsMust(q.FieldByName("memberIsMust").AsInteger());
  member->SetMemberIsInteger(q.FieldByName("memberIsInteger").AsInteger());
  member->SetMemberIsFloat(q.FieldByName("memberIsFloat").AsInteger());
  member->SetQueryFlag(q.FieldByName("queryFlag").AsInteger());
  member->SetMemberIsDisplay(q.FieldByName("memberIsDisplay").AsInteger());
  member->SetMemberQueryDisplay(q.FieldByName("memberQueryDisplay").AsInteger());
  return member;
}
