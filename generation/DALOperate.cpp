#include "generation/DALOperate.h"

void TDALOperate::MakeDALFile(const std::string& nameSpace, const TProjectModel& project, TSiteWriter& site,
                 const TProgressCallback& progress) {
  MakeDALFile(nameSpace, TProjectView(project), TTemplateSet::BuiltIn(), site, progress);
}

void TDALOperate::MakeDALFile(const std::string& /*nameSpace*/, const TProjectView& project,
                              const TTemplateSet& templates, TSiteWriter& site, const TProgressCallback& progress) {
  // Whether the user's templates have a say is the same for every class's file.
  const bool byUser = templates.MadeByUser("DAL.cs");
  for (const TClassModel& entry : project.model.classes) {
    LayerCommon::WriteClassFile(
        site, "App_Code/DAL", "dal" + entry.className + ".cs", templates.InputsOf("DAL.cs", project, entry), byUser,
        [&](bool* made) { return DALText(TClassView(project, entry), templates, made); }, progress);
  }
}

std::string TDALOperate::DALText(const TClassModel& entry, const TClassIndex& classes) {
  const TProjectView project(classes.Project(), classes);
  return DALText(TClassView(project, entry), TTemplateSet::BuiltIn());
}

std::string TDALOperate::DALText(const TClassView& entry, const TTemplateSet& templates, bool* madeByUser) {
  LayerCommon::KeyMemberOf(entry.model);
  entry.RequireTypes();
  std::string text;
  const bool byUser = templates.Render("DAL.cs", entry.project, &entry, text);
  if (madeByUser != nullptr) *madeByUser = byUser;
  return text;
}
