#include "model/ProjectModel.h"

#include <strings.h>

#include <algorithm>

const TMember* TClassModel::KeyMember() const {
  for (const TMember& member : members)
    if (member.GetMemberIsPri() == 1) return &member;
  return nullptr;
}

int TClassModel::CountKeyMembers() const {
  return static_cast<int>(
      std::count_if(members.begin(), members.end(), [](const TMember& m) { return m.GetMemberIsPri() == 1; }));
}

int TClassModel::CountDisplayMembers() const {
  return static_cast<int>(
      std::count_if(members.begin(), members.end(), [](const TMember& m) { return m.GetMemberIsDisplay() == 1; }));
}

const TClassModel* TProjectModel::FindClass(const std::string& className) const {
  for (const TClassModel& entry : classes)
    if (entry.className.size() == className.size() && strcasecmp(entry.className.c_str(), className.c_str()) == 0)
      return &entry;
  return nullptr;
}
