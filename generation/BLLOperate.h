#pragma once

#include <string>

#include "catalogue/NameId.h"
#include "generation/LayerCommon.h"

// Writes the business-logic class of every class of a project:
// App_Code/BLL/bll<Class>.cs, six static methods in namespace BLL that forward to DAL.dal<Class>.
class TBLLOperate {
 public:
  // Handles the classes in list order and reports one progress line per written file.
  // nameSpace is accepted for the run's sake and used nowhere: the namespace is BLL.
  // A class without a key member raises TGenerationError and gets no file.
  static void MakeBLLFile(const std::string& nameSpace, const TNameIdList& classes, const TGenerationTarget& target,
                          const TProgressCallback& progress);

  // The whole text of one class's business-logic file (UTF-8, CR LF line ends).
  static std::string BLLText(int classId, const std::string& className);
};
