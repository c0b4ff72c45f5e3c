#pragma once

#include "model/ProjectModel.h"

// Moves whole projects between the catalogue and memory.
class TModelStore {
 public:
  // Reads the project, its classes and their members in one read snapshot with three statements, whatever
  // the project's size. Classes and members keep catalogue order. Raises TDbError when there is no such
  // project, and names the class and member when a member's length is not a whole number.
  TProjectModel LoadProject(int projectId);

  // The project and its classes in catalogue order, without their members, in one read snapshot with two
  // statements. Raises TDbError when there is no such project.
  TProjectModel LoadClassesOf(int projectId);

  // What the code and the checks of one class need, without reading the rest of a large project: the
  // project, the classes whose names equal that name without regard to ASCII case (the class of exactly
  // that name among them) and those the class's member types name (again every class whose name equals one
  // without regard to case, so that the first in catalogue order is the one a reference finds), in
  // catalogue order, with their members. Whatever the project's size, the checks and texts of the class are
  // those of the whole project. In one read snapshot, with six statements at the most. Raises as
  // LoadProject does.
  TProjectModel LoadClassOf(int projectId, const std::string& className);

  // The id of the first project in catalogue order with that name, compared as the catalogue's name column
  // compares; -1 when there is none.
  int FindProjectByName(const std::string& projectName);

  // Stores the model as a new project under the model's project name, with its classes and members in the
  // model's order, and returns the new project's id. The ids in the model are ignored: the database gives
  // new ones. A member type that names a class stays that class's name. All or nothing: one transaction.
  int AddProject(const TProjectModel& project);

  // Replaces the classes and members of an existing project with the model's, keeping the project's id and
  // name. All or nothing: one transaction; raises TDbError when there is no such project.
  void ReplaceProject(int projectId, const TProjectModel& project);
};
