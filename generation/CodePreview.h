#pragma once

#include <string>
#include <vector>

#include "generation/TemplateSet.h"
#include "model/ClassIndex.h"
#include "model/ProjectChecker.h"
#include "model/ProjectModel.h"

// The four texts shown for one class: its three generated files and its share of the table script.
enum class TCodeLayer { Entity, BLL, DAL, Sql };

// One class's text of one layer, or why there is none.
struct TClassPreview {
  bool ok = false;
  std::string text;  // the code when ok, otherwise the message the user sees instead
};

// Builds the code of single classes without writing anything: the exact UTF-8 text
// the generation run encodes and writes for a layer file, and the class's part of the
// table script. Works on one project model, indexed once, so a class of a large project
// costs no more than that class.
//
// The texts come from the set of templates given, which like the model must outlive the object.
class TCodePreview {
 public:
  explicit TCodePreview(const TProjectModel& project, const TTemplateSet& templates = TTemplateSet::BuiltIn());

  const TProjectModel& Project() const { return FProject; }

  // The message of the first problem the run would stop at for this class (the project's
  // own problems included), with the run's own texts; empty when the class passes.
  std::string ClassProblem(const TClassModel& entry) const;

  // The class's text of the layer, or the check's message when it fails one. A text
  // GBK cannot hold is reported as the run reports it.
  TClassPreview Preview(const TClassModel& entry, TCodeLayer layer) const;

  // The class of that exact name; nullptr when the project has none.
  const TClassModel* FindClass(const std::string& className) const;

  // "entity", "bll", "dal", "sql" (as the command line spells them); false for anything else.
  static bool ParseLayer(const std::string& name, TCodeLayer& layer);

 private:
  std::string LayerText(const TClassModel& entry, TCodeLayer layer) const;

  const TProjectModel& FProject;
  const TTemplateSet& FTemplates;
  const TProjectView FView;
  std::vector<TProblem> FProblems;
};
