#pragma once

#include <string>

#include "generation/LayerCommon.h"
#include "generation/TemplateSet.h"

// Writes the business-logic class of every class of a project: App_Code/BLL/bll<Class>.cs, six static
// methods in namespace BLL that forward to DAL.dal<Class>, rendered from the template BLL.cs.
class TBLLOperate {
 public:
  // Handles the project's classes in catalogue order and reports one progress line per written file.
  // nameSpace is accepted for the run's sake and used nowhere: the namespace is BLL.
  // A class without a key member raises TGenerationError and gets no file.
  // With the built-in templates.
  static void MakeBLLFile(const std::string& nameSpace, const TProjectModel& project, TSiteWriter& site,
                 const TProgressCallback& progress);
  static void MakeBLLFile(const std::string& nameSpace, const TProjectView& project, const TTemplateSet& templates,
                          TSiteWriter& site, const TProgressCallback& progress);

  // The whole text of one class's business-logic file (UTF-8, CR LF line ends).
  // Reads nothing from the catalogue.
  static std::string BLLText(const TClassModel& entry);
  static std::string BLLText(const TClassView& entry, const TTemplateSet& templates, bool* madeByUser = nullptr);
};
