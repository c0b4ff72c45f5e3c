#include "model/ModelStore.h"

#include <algorithm>
#include <unordered_map>

#include "catalogue/DbHelper.h"

namespace {

TMember ReadMember(const TDbQuery& row, const std::string& className) {
  TMember member;
  member.SetMemberId(row.FieldByName("memberId").AsInteger());
  member.SetProjectId(row.FieldByName("projectId").AsInteger());
  member.SetClassId(row.FieldByName("classId").AsInteger());
  member.SetMemberName(row.FieldByName("memberName").AsString());
  member.SetMemberType(row.FieldByName("memberType").AsString());
  try {
    member.SetMemberLength(row.FieldByName("memberLength").AsInteger());
  } catch (const TDbError&) {
    throw TDbError("类“" + className + "”的成员“" + member.GetMemberName() + "”的长度“" +
                   row.FieldByName("memberLength").AsString() + "”不是整数");
  }
  member.SetMemberIsPri(row.FieldByName("memberIsPri").AsInteger());
  member.SetMemberComment(row.FieldByName("memberComment").AsString());
  member.SetMemberIsMust(row.FieldByName("memberIsMust").AsInteger());
  member.SetMemberIsInteger(row.FieldByName("memberIsInteger").AsInteger());
  member.SetMemberIsFloat(row.FieldByName("memberIsFloat").AsInteger());
  member.SetQueryFlag(row.FieldByName("queryFlag").AsInteger());
  member.SetMemberIsDisplay(row.FieldByName("memberIsDisplay").AsInteger());
  member.SetMemberQueryDisplay(row.FieldByName("memberQueryDisplay").AsInteger());
  return member;
}

std::string Int(int value) {
  return std::to_string(value);
}

// Members go in with one statement per class and at most this many rows per statement: few statements for a
// large project, none too long for the engine.
constexpr std::size_t kMembersPerInsert = 200;

// Inserts the model's classes and members under the project; the caller holds the write transaction.
void InsertClasses(TDbHelper& db, int projectId, const TProjectModel& project) {
  const std::string projectText = Int(projectId);
  for (const TClassModel& entry : project.classes) {
    db.ExecSql("insert into t_class(projectId,className,friendName) values (" + projectText + "," +
               TDbHelper::Quote(entry.className) + "," + TDbHelper::Quote(entry.friendName) + ")");
    const std::string classText = Int(db.LastInsertId());
    for (std::size_t first = 0; first < entry.members.size(); first += kMembersPerInsert) {
      std::string sql =
          "insert into t_member(projectId,classId,memberName,memberType,memberLength,memberIsPri,memberComment,"
          "memberIsMust,memberIsInteger,memberIsFloat,queryFlag,memberIsDisplay,memberQueryDisplay) values ";
      const std::size_t last = std::min(entry.members.size(), first + kMembersPerInsert);
      for (std::size_t i = first; i < last; ++i) {
        const TMember& m = entry.members[i];
        if (i > first) sql += ",";
        sql += "(" + projectText + "," + classText + "," + TDbHelper::Quote(m.GetMemberName()) + "," +
               TDbHelper::Quote(m.GetMemberType()) + "," + Int(m.GetMemberLength()) + "," + Int(m.GetMemberIsPri()) +
               "," + TDbHelper::Quote(m.GetMemberComment()) + "," + Int(m.GetMemberIsMust()) + "," +
               Int(m.GetMemberIsInteger()) + "," + Int(m.GetMemberIsFloat()) + "," + Int(m.GetQueryFlag()) + "," +
               Int(m.GetMemberIsDisplay()) + "," + Int(m.GetMemberQueryDisplay()) + ")";
      }
      db.ExecSql(sql);
    }
  }
}

}  // namespace

TProjectModel TModelStore::LoadProject(int projectId) {
  TDbHelper db;
  TDbReadTransaction snapshot;
  const std::string id = std::to_string(projectId);

  TProjectModel project;
  std::unique_ptr<TDbQuery> rows = db.OpenQuery("select projectId,projectName from t_project where projectId=" + id);
  rows->First();
  if (rows->Eof()) throw TDbError("工程（编号" + id + "）不存在");
  project.projectId = projectId;
  project.projectName = rows->FieldByName("projectName").AsString();

  std::unordered_map<int, std::size_t> classIndex;
  rows = db.OpenQuery("select classId,className,friendName from t_class where projectId=" + id);
  for (rows->First(); !rows->Eof(); rows->Next()) {
    TClassModel entry;
    entry.classId = rows->FieldByName("classId").AsInteger();
    entry.className = rows->FieldByName("className").AsString();
    entry.friendName = rows->FieldByName("friendName").AsString();
    classIndex.emplace(entry.classId, project.classes.size());
    project.classes.push_back(std::move(entry));
  }

  // Within one class the rows come in id order (the t_member(classId) index), the order of every
  // per-class member query; rows are only grouped here, never reordered.
  rows =
      db.OpenQuery("select * from t_member where classId in (select classId from t_class where projectId=" + id + ")");
  for (rows->First(); !rows->Eof(); rows->Next()) {
    const auto found = classIndex.find(rows->FieldByName("classId").AsInteger());
    if (found == classIndex.end()) continue;
    TClassModel& owner = project.classes[found->second];
    owner.members.push_back(ReadMember(*rows, owner.className));
  }
  return project;
}

int TModelStore::FindProjectByName(const std::string& projectName) {
  return TDbHelper().GetScalarInt("select projectId from t_project where projectName=" + TDbHelper::Quote(projectName));
}

int TModelStore::AddProject(const TProjectModel& project) {
  TDbHelper db;
  TDbWriteTransaction transaction;
  db.ExecSql("insert into t_project(projectName) values (" + TDbHelper::Quote(project.projectName) + ")");
  const int projectId = db.LastInsertId();
  InsertClasses(db, projectId, project);
  transaction.Commit();
  return projectId;
}

void TModelStore::ReplaceProject(int projectId, const TProjectModel& project) {
  TDbHelper db;
  TDbWriteTransaction transaction;
  const std::string id = Int(projectId);
  if (db.GetScalarInt("select count(*) from t_project where projectId=" + id) <= 0)
    throw TDbError("工程（编号" + id + "）不存在");
  // Members are reached both ways, so none is left behind that nothing shows any more.
  db.ExecSql("delete from t_member where projectId=" + id +
             " or classId in (select classId from t_class where projectId=" + id + ")");
  db.ExecSql("delete from t_class where projectId=" + id);
  InsertClasses(db, projectId, project);
  transaction.Commit();
}
