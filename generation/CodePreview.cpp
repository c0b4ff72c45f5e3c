#include "generation/CodePreview.h"

#include "generation/AutoCode.h"
#include "generation/BLLOperate.h"
#include "generation/DALOperate.h"
#include "generation/DataBaseSql.h"
#include "generation/EntityOperate.h"
#include "text/GbkText.h"
#include "generation/LayerCommon.h"

#include <memory>

TCodePreview::TCodePreview(const TProjectModel& project, const TTemplateSet& templates)
    : FProject(project), FTemplates(templates), FView(project), FProblems(CheckProject(project)) {}

std::string TCodePreview::ClassProblem(const TClassModel& entry) const {
  // The problems of this class and of the project as a whole, reported as the run reports them.
  std::vector<TProblem> own;
  for (const TProblem& problem : FProblems)
    if (problem.classId == entry.classId || problem.classId == 0) own.push_back(problem);
  const TProblem* first = FirstProblemOfRun(own);
  return first != nullptr ? first->message : std::string();
}

TClassPreview TCodePreview::Preview(const TClassModel& entry, TCodeLayer layer) const {
  const std::string problem = ClassProblem(entry);
  if (!problem.empty()) return {false, problem};
  try {
    std::string text = LayerText(entry, layer);
    // The run stops on a character the site's encoding cannot hold; so does the preview.
    if (layer != TCodeLayer::Sql) GbkText::FromUtf8(text);
    return {true, std::move(text)};
  } catch (const std::exception& error) {
    return {false, AutoCodeTexts::Failed(error.what())};
  }
}

const TClassModel* TCodePreview::FindClass(const std::string& className) const {
  for (const TClassModel& entry : FProject.classes)
    if (entry.className == className) return &entry;
  return nullptr;
}

bool TCodePreview::ParseLayer(const std::string& name, TCodeLayer& layer) {
  if (name == "entity")
    layer = TCodeLayer::Entity;
  else if (name == "bll")
    layer = TCodeLayer::BLL;
  else if (name == "dal")
    layer = TCodeLayer::DAL;
  else if (name == "sql")
    layer = TCodeLayer::Sql;
  else
    return false;
  return true;
}

std::string TCodePreview::LayerText(const TClassModel& entry, TCodeLayer layer) const {
  // A class of another model (a copy of one of this project's) gets a view of its own.
  const bool own = !FProject.classes.empty() && &entry >= FProject.classes.data() &&
                   &entry < FProject.classes.data() + FProject.classes.size();
  const TClassView* view = own ? &FView.ClassOf(entry) : nullptr;
  std::unique_ptr<TClassView> other;
  if (!own) {
    other = std::make_unique<TClassView>(FView, entry);
    view = other.get();
  }
  switch (layer) {
    case TCodeLayer::Entity:
      return TEntityOperate::EntityText(*view, FTemplates);
    case TCodeLayer::BLL:
      return TBLLOperate::BLLText(*view, FTemplates);
    case TCodeLayer::DAL:
      return TDALOperate::DALText(*view, FTemplates);
    case TCodeLayer::Sql:
      break;
  }
  return TDataBaseSql::ClassScript(*view, FTemplates);
}
