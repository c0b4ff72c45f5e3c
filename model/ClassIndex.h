#pragma once

#include <string>
#include <unordered_map>

#include "model/ProjectModel.h"

// Finds the classes of one project model by name in constant time, with the answers of
// TProjectModel::FindClass: names compare without regard to ASCII case, and of two
// names that differ only in case the first in catalogue order wins. Code that looks up
// every reference of a large project uses this instead of FindClass's scan.
//
// The index points into the model: the model must outlive it and keep its classes.
class TClassIndex {
 public:
  explicit TClassIndex(const TProjectModel& project);

  const TProjectModel& Project() const { return FProject; }
  // nullptr when the project has no such class.
  const TClassModel* Find(const std::string& className) const;

 private:
  const TProjectModel& FProject;
  std::unordered_map<std::string, const TClassModel*> FByFoldedName;
};
