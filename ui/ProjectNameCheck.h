#pragma once

#include <QString>

// The window's checks of a project name. Each shows why a name breaks the rules and returns false; the
// rules themselves are the core's (NameRules), shared with the command line.
namespace ProjectNameCheck {

// A project name becomes a folder name and is stored as GBK text.
bool CheckShape(const QString& name);
// The name of a new project: not empty, of the right shape, not taken. Raises the catalogue's errors.
bool CheckNewName(const QString& name);

}  // namespace ProjectNameCheck
