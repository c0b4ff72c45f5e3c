#pragma once

#include <string>

#include "catalogue/NameId.h"
#include "generation/LayerCommon.h"

// Writes the entity class of every class of a project: App_Code/ENTITY/<Class>.cs,
// a plain class in namespace ENTITY with one private field and one property per member.
class TEntityOperate {
 public:
  // Handles the classes in list order and reports one progress line per written file.
  // nameSpace is accepted for the run's sake and used nowhere: the namespace is ENTITY.
  // A class whose text cannot be built (TGenerationError) gets no file; the error ends
  // the call, and the files of earlier classes stay.
  static void MakeEntityFile(const std::string& nameSpace, const TNameIdList& classes, const TGenerationTarget& target,
                             const TProgressCallback& progress);

  // The whole text of one class's entity file (UTF-8, CR LF line ends).
  static std::string EntityText(int projectId, int classId, const std::string& className);
};
