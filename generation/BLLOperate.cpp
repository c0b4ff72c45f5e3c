#include "generation/BLLOperate.h"

void TBLLOperate::MakeBLLFile(const std::string& nameSpace, const TProjectModel& project, TSiteWriter& site,
                 const TProgressCallback& progress) {
  MakeBLLFile(nameSpace, TProjectView(project), TTemplateSet::BuiltIn(), site, progress);
}

void TBLLOperate::MakeBLLFile(const std::string& /*nameSpace*/, const TProjectView& project,
                              const TTemplateSet& templates, TSiteWriter& site, const TProgressCallback& progress) {
  // Whether the user's templates have a say is the same for every class's file.
  const bool byUser = templates.MadeByUser("BLL.cs");
  for (const TClassModel& entry : project.model.classes) {
    LayerCommon::WriteClassFile(
        site, "App_Code/BLL", "bll" + entry.className + ".cs", templates.InputsOf("BLL.cs", project, entry), byUser,
        [&](bool* made) { return BLLText(TClassView(project, entry), templates, made); }, progress);
  }
}

std::string TBLLOperate::BLLText(const TClassModel& entry) {
  // The business-logic file names no other class: a project of this class alone is enough.
  TProjectModel alone;
  alone.classes.push_back(entry);
  const TProjectView project(alone);
  return BLLText(project.ClassOf(alone.classes.front()), TTemplateSet::BuiltIn());
}

std::string TBLLOperate::BLLText(const TClassView& entry, const TTemplateSet& templates, bool* madeByUser) {
  LayerCommon::KeyMemberOf(entry.model);
  std::string text;
  const bool byUser = templates.Render("BLL.cs", entry.project, &entry, text);
  if (madeByUser != nullptr) *madeByUser = byUser;
  return text;
}
