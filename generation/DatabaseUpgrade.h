#pragma once

#include <string>

#include "site/GenerationTarget.h"

// What the upgrade is asked for: the project, its site and where its database stands.
struct TDatabaseUpgradeRequest {
  TGenerationTarget target;  // the project (id and name) and the folders its site lives in
  // The model the database was made from: a version file (corvanthel-version, matched by id) or a project
  // file (corvanthel-project, matched by name). Empty: the site's latest version.
  std::string fromFile;
  bool allowDataLoss = false;
  // Also store the script and the current model as the site's next version.
  bool record = false;
};

struct TDatabaseUpgradeOutcome {
  int exitCode = 0;     // 0 done, 1 a problem the user must mend (the message), 2 any other failure
  std::string script;   // the upgrade script (UTF-8, CR LF); empty unless exitCode is 0
  bool nothingToDo = false;
  int recordedVersion = -1;  // the version stored with record; -1 when none was
  std::string message;  // the problem, or after a record the line that says which version was stored
};

// The upgrade script from the site's latest version (or fromFile) to the project as the catalogue holds it now,
// as `upgrade-sql` and the window's code menu give it. Never raises: every failure is an outcome.
TDatabaseUpgradeOutcome RunDatabaseUpgrade(const TDatabaseUpgradeRequest& request);

namespace DatabaseUpgradeTexts {
inline const char* const kNoBaseline = "没有基线版本";
}  // namespace DatabaseUpgradeTexts
