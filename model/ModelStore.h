#pragma once

#include "model/ProjectModel.h"

// Moves whole projects between the catalogue and memory.
class TModelStore {
 public:
  // Reads the project, its classes and their members in one read snapshot with three statements, whatever
  // the project's size. Classes and members keep catalogue order. Raises TDbError when there is no such
  // project, and names the class and member when a member's length is not a whole number.
  TProjectModel LoadProject(int projectId);
};
