#pragma once

class TWindowContext;

// The project menu's export and import of project files. The window only wires the two menu items here;
// the rules (what a file holds, what makes an import fail) are the core's, shared with the command line.
class TProjectFileCommands {
 public:
  // Asks for a file and writes the selected project to it as a project file.
  static void ExportProject(TWindowContext& window);
  // Asks for a project file, and stores it as a new project when it has no problem; otherwise shows every
  // problem in one box and stores nothing. The imported project ends up selected.
  static void ImportProject(TWindowContext& window);
};
