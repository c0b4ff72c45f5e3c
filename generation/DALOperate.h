#pragma once

#include <string>

#include "generation/LayerCommon.h"
#include "generation/TemplateSet.h"

// Writes the data-access class of every class of a project: App_Code/DAL/dal<Class>.cs, six static
// methods in namespace DAL over the template site's DBHelp, rendered from the template DAL.cs.
class TDALOperate {
 public:
  // Handles the project's classes in catalogue order and reports one progress line per written file.
  // nameSpace is accepted for the run's sake and used nowhere: the namespace is DAL.
  // A class whose text cannot be built (TGenerationError) gets no file; the error ends
  // the call, and the files of earlier classes stay.
  // With the built-in templates.
  static void MakeDALFile(const std::string& nameSpace, const TProjectModel& project, TSiteWriter& site,
                 const TProgressCallback& progress);
  static void MakeDALFile(const std::string& nameSpace, const TProjectView& project, const TTemplateSet& templates,
                          TSiteWriter& site, const TProgressCallback& progress);

  // The whole text of one class's data-access file (UTF-8, CR LF line ends); classes resolves its
  // class-typed members. Reads nothing from the catalogue. TGenerationError when the class has no
  // key member or a member type names no class with a key.
  static std::string DALText(const TClassModel& entry, const TClassIndex& classes);
  static std::string DALText(const TClassView& entry, const TTemplateSet& templates, bool* madeByUser = nullptr);

  // Takes up one class (classes must outlive the object); DALText() then gives its text.
  void LoadClass(const TClassModel& entry, const TClassIndex& classes) {
    FClass = &entry;
    FClasses = &classes;
  }
  std::string DALText() const { return DALText(*FClass, *FClasses); }

 private:
  const TClassModel* FClass = nullptr;
  const TClassIndex* FClasses = nullptr;
};
