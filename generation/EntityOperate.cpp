#include "generation/EntityOperate.h"

void TEntityOperate::MakeEntityFile(const std::string& nameSpace, const TProjectModel& project, TSiteWriter& site,
                 const TProgressCallback& progress) {
  MakeEntityFile(nameSpace, TProjectView(project), TTemplateSet::BuiltIn(), site, progress);
}

void TEntityOperate::MakeEntityFile(const std::string& /*nameSpace*/, const TProjectView& project,
                                    const TTemplateSet& templates, TSiteWriter& site,
                                    const TProgressCallback& progress) {
  // Whether the user's templates have a say is the same for every class's file.
  const bool byUser = templates.MadeByUser("Entity.cs");
  for (const TClassModel& entry : project.model.classes) {
    LayerCommon::WriteClassFile(
        site, "App_Code/ENTITY", entry.className + ".cs", templates.InputsOf("Entity.cs", project, entry), byUser,
        [&](bool* made) { return EntityText(TClassView(project, entry), templates, made); }, progress);
  }
}

std::string TEntityOperate::EntityText(const TClassModel& entry, const TClassIndex& classes) {
  const TProjectView project(classes.Project(), classes);
  return EntityText(TClassView(project, entry), TTemplateSet::BuiltIn());
}

std::string TEntityOperate::EntityText(const TClassView& entry, const TTemplateSet& templates, bool* madeByUser) {
  entry.RequireTypes();
  std::string text;
  const bool byUser = templates.Render("Entity.cs", entry.project, &entry, text);
  if (madeByUser != nullptr) *madeByUser = byUser;
  return text;
}
