#include "catalogue/ClassDAO.h"

std::string TClassDAO::GetClassNameById(int classId) {
  return FDbHelper.GetScalarString("select className from t_class where classId=" + std::to_string(classId));
}

std::string TClassDAO::GetFriendNameById(int classId) {
  return FDbHelper.GetScalarString("select friendName from t_class where classId=" + std::to_string(classId));
}

int TClassDAO::GetClassIdByName(int projectId, const std::string& className) {
  return FDbHelper.GetScalarInt("select classId from t_class where projectId=" + std::to_string(projectId) +
                                " and className=" + TDbHelper::Quote(className));
}

int TClassDAO::CountClassesByName(int projectId, const std::string& className) {
  return FDbHelper.GetScalarInt("select count(*) from t_class where projectId=" + std::to_string(projectId) +
                                " and className=" + TDbHelper::Quote(className));
}

void TClassDAO::AddClass(int projectId, const std::string& className, const std::string& friendName) {
  FDbHelper.ExecSql("insert into t_class(projectId,className,friendName) values (" + std::to_string(projectId) + "," +
                    TDbHelper::Quote(className) + "," + TDbHelper::Quote(friendName) + ")");
}

void TClassDAO::DeleteClass(int classId) {
  const std::string id = std::to_string(classId);
  FDbHelper.ExecBatch({"delete from t_class where classId=" + id, "delete from t_member where classId=" + id});
}

void TClassDAO::UpdateClass(int projectId, int classId, const std::string& className, const std::string& friendName) {
  const std::string oldName = GetClassNameById(classId);
  FDbHelper.ExecBatch({"update t_class set friendName=" + TDbHelper::Quote(friendName) +
                           ",className=" + TDbHelper::Quote(className) + " where classId=" + std::to_string(classId),
                       "update t_member set memberType=" + TDbHelper::Quote(className) + " where projectId=" +
                           std::to_string(projectId) + " and memberType=" + TDbHelper::Quote(oldName)});
}

TNameIdList TClassDAO::ListClassesOfProject(int projectId) {
  return ListClasses("select classId,className from t_class where projectId=" + std::to_string(projectId));
}

TNameIdList TClassDAO::ListOtherClasses(int projectId, int classId) {
  return ListClasses("select classId,className from t_class where classId<>" + std::to_string(classId) +
                     " and projectId=" + std::to_string(projectId));
}

TNameIdList TClassDAO::ListClasses(const std::string& sql) {
  TNameIdList classes;
  std::unique_ptr<TDbQuery> query = FDbHelper.OpenQuery(sql);
  for (query->First(); !query->Eof(); query->Next())
    classes.push_back({query->FieldByName("className").AsString(), query->FieldByName("classId").AsInteger()});
  return classes;
}

bool TClassDAO::CheckKeyMembers(const TNameIdList& classes, const std::function<void(int classId)>& onFailure) {
  return CheckOneMemberWithFlag(classes, " and memberIsPri=1", onFailure);
}

bool TClassDAO::CheckDisplayMembers(const TNameIdList& classes, const std::function<void(int classId)>& onFailure) {
  return CheckOneMemberWithFlag(classes, " and memberIsDisplay=1", onFailure);
}

bool TClassDAO::CheckOneMemberWithFlag(const TNameIdList& classes, const std::string& flagCondition,
                                       const std::function<void(int classId)>& onFailure) {
  for (const TNameId& entry : classes) {
    const int count = FDbHelper.GetScalarInt("select count(*) from t_member where classId=" + std::to_string(entry.id) +
                                             flagCondition);
    if (count != 1) {
      if (onFailure) onFailure(entry.id);
      return false;
    }
  }
  return true;
}
