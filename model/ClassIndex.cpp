#include "model/ClassIndex.h"

namespace {

std::string FoldAsciiCase(std::string name) {
  for (char& c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return name;
}

}  // namespace

TClassIndex::TClassIndex(const TProjectModel& project) : FProject(project) {
  FByFoldedName.reserve(project.classes.size());
  // emplace keeps the first of several names that fold alike.
  for (const TClassModel& entry : project.classes) FByFoldedName.emplace(FoldAsciiCase(entry.className), &entry);
}

const TClassModel* TClassIndex::Find(const std::string& className) const {
  const auto found = FByFoldedName.find(FoldAsciiCase(className));
  return found == FByFoldedName.end() ? nullptr : found->second;
}
