#pragma once

#include <QString>

class QWidget;

// What the menus' commands and the dialogs may ask of the main window: its selection, selecting a
// project, and reloading the views after they changed the catalogue. They are given this rather than
// the window itself, so none of them depends on how the window is built.
class TWindowContext {
 public:
  // Which project the project selector shows after ReloadProjects.
  enum class TProjectPosition {
    Remembered,  // the one it was told to keep last (after a rename, say); else the first
    Current,     // the one selected now, kept from now on
    First,       // the first, kept from now on
  };

  virtual ~TWindowContext();

  // The window, as the parent of the dialogs and windows the commands open.
  virtual QWidget* Widget() = 0;

  // The ids carried by the selected items; -1 when nothing is selected.
  virtual int SelectedProjectId() const = 0;
  virtual QString SelectedProjectName() const = 0;
  virtual int SelectedClassId() const = 0;
  virtual QString SelectedClassName() const = 0;
  // The member id of the selected grid row; -1 when no row is selected.
  virtual int SelectedMemberId() const = 0;

  // Rebuild the views from the catalogue. They raise the catalogue's errors.
  virtual void ReloadProjects(TProjectPosition position) = 0;
  virtual void LoadClasses(int projectId) = 0;
  virtual void ShowMembers(int classId) = 0;
  // Reloads the project list and selects the project with that id, showing its classes.
  virtual void SelectProject(int projectId) = 0;
  // Renames the selected class-list item in place; it keeps its id and position.
  virtual void SetSelectedClassName(const QString& name) = 0;
  // Takes the selected class out of the list, with the members the grid shows of it.
  virtual void RemoveSelectedClass() = 0;

  // The user's templates changed (an export): the status line says again which set is used.
  virtual void TemplatesChanged() {}

  // The progress log of the generation run.
  virtual void ClearProgress() = 0;
  virtual void AddProgressLine(const QString& line) = 0;
};
