#include "catalogue/ProjectDAO.h"

int TProjectDAO::CountProjectsByName(const std::string& projectName) {
  return FDbHelper.GetScalarInt("select count(*) from t_project where projectName=" + TDbHelper::Quote(projectName));
}

void TProjectDAO::AddProject(const std::string& projectName) {
  FDbHelper.ExecSql("insert into t_project(projectName) values (" + TDbHelper::Quote(projectName) + ")");
}

void TProjectDAO::RenameProject(int projectId, const std::string& projectName) {
  FDbHelper.ExecSql("update t_project set projectName=" + TDbHelper::Quote(projectName) +
                    " where projectId=" + std::to_string(projectId));
}

void TProjectDAO::DeleteProject(int projectId) {
  const std::string id = std::to_string(projectId);
  // Members go too, so no rows are left that nothing can reach any more.
  FDbHelper.ExecBatch({"delete from t_project where projectId=" + id, "delete from t_class where projectId=" + id,
                       "delete from t_member where projectId=" + id});
}

TNameIdList TProjectDAO::ListProjects() {
  TNameIdList projects;
  std::unique_ptr<TDbQuery> query = FDbHelper.OpenQuery("select projectId,projectName from t_project");
  for (query->First(); !query->Eof(); query->Next())
    projects.push_back({query->FieldByName("projectName").AsString(), query->FieldByName("projectId").AsInteger()});
  return projects;
}
