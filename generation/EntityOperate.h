#pragma once

#include <string>

#include "generation/LayerCommon.h"
#include "generation/TemplateSet.h"

// Writes the entity class of every class of a project: App_Code/ENTITY/<Class>.cs,
// a plain class in namespace ENTITY with one private field and one property per member,
// rendered from the template Entity.cs.
class TEntityOperate {
 public:
  // Handles the project's classes in catalogue order and reports one progress line per written file.
  // nameSpace is accepted for the run's sake and used nowhere: the namespace is ENTITY.
  // A class whose text cannot be built (TGenerationError) gets no file; the error ends
  // the call, and the files of earlier classes stay.
  // With the built-in templates.
  static void MakeEntityFile(const std::string& nameSpace, const TProjectModel& project, TSiteWriter& site,
                 const TProgressCallback& progress);
  static void MakeEntityFile(const std::string& nameSpace, const TProjectView& project, const TTemplateSet& templates,
                             TSiteWriter& site, const TProgressCallback& progress);

  // The whole text of one class's entity file (UTF-8, CR LF line ends); classes resolves
  // the class-typed members. Reads nothing from the catalogue.
  static std::string EntityText(const TClassModel& entry, const TClassIndex& classes);
  // The same from a class's view and a set of templates; madeByUser tells whether a user's template made it.
  static std::string EntityText(const TClassView& entry, const TTemplateSet& templates, bool* madeByUser = nullptr);
};
