#include "generation/DataBaseSql.h"

#include "catalogue/ModelStore.h"
#include "model/ProjectChecker.h"

std::string TDataBaseSql::BuildScript(const TProjectModel& project) {
  RefuseUnsafeProject(project);
  const TProjectView view(project);
  return FTemplates.Render("sql/Script.sql", view);
}

std::string TDataBaseSql::ClassScript(const TClassModel& entry, const TClassIndex& classes) {
  const TProjectView project(classes.Project(), classes);
  return ClassScript(TClassView(project, entry), TTemplateSet::BuiltIn());
}

std::string TDataBaseSql::ClassScript(const TClassView& entry, const TTemplateSet& templates) {
  return templates.Render("sql/ClassScript.sql", entry.project, &entry);
}

std::string TDataBaseSql::BuildScript(int projectId) {
  return BuildScript(TModelStore().LoadProject(projectId));
}
