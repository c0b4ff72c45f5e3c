#pragma once

class TWindowContext;

// "从SQL脚本导入(&Q)...": asks for a script file and a new project's name, imports the script's tables as
// that project, shows the import's report in one box and selects the new project.
void RunSqlImportCommand(TWindowContext& window);
