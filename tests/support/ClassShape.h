#pragma once

#include <string>

#include "model/Member.h"
#include "model/ProjectModel.h"

// A class's members in one line, for tests that compare what an import made:
// name:type[:length] for each member, key members marked with *, the display member with !.
inline std::string Shape(const TClassModel& entry) {
  std::string shape;
  for (const TMember& m : entry.members) {
    if (!shape.empty()) shape += " ";
    shape += m.GetMemberName() + ":" + m.GetMemberType();
    if (m.GetMemberLength() != 0) shape += ":" + std::to_string(m.GetMemberLength());
    if (m.GetMemberIsPri() == 1) shape += "*";
    if (m.GetMemberIsDisplay() == 1) shape += "!";
  }
  return shape;
}
