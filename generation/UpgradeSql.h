#pragma once

#include <string>
#include <vector>

#include "generation/TemplateSet.h"
#include "model/ProjectModel.h"

// How the two models of an upgrade are laid side by side.
struct TUpgradeOptions {
  // Classes and members are matched by their catalogue ids (a recorded version): a renamed class or member is
  // renamed in the database. False matches them by name without regard to case (an exported project file,
  // which carries no ids): a rename then reads as a drop and an add.
  bool matchById = true;
  // Steps that may lose data run without the check before them, and a removed class's table is dropped.
  bool allowDataLoss = false;
  // Where the old model came from, for the script's header ("版本 003", "工程文件 old.json").
  std::string fromLabel;
};

struct TUpgradeScript {
  std::string text;                   // the whole script, UTF-8 with CR LF line ends
  bool nothingToDo = false;           // the databases of the two models are the same: text is one comment line
  std::vector<std::string> changes;   // one line per change, as the header lists them
  std::vector<std::string> warnings;  // one line per warning, as the header lists them
};

// The script that brings a SQL Server database made by the table script of `from` (and upgraded since) to
// what the table script of `to` makes, keeping its rows: renames through sp_rename, columns added, changed and
// dropped through ALTER TABLE, tables added with the table script's own CREATE TABLE, foreign keys dropped and
// added again around the changes that touch them. Every step that may lose data is preceded by a check of the
// data that stops the script, unless options.allowDataLoss; a removed class's table is only dropped then, and
// the statement stands commented out otherwise. The script runs in one transaction: a failed check or step
// rolls it back and no later batch runs. Reads nothing from the catalogue.
//
// Raises TProjectProblemError when either model fails the table script's safety checks (the message of the
// first problem), and when the key of a class kept from `from` changes (another key member, an integer key
// turned text or back, another length): ALTER COLUMN cannot do that, and the script never rebuilds a table.
//
// The text comes from the template sql/Upgrade.sql of the set (an added table's CREATE TABLE from its
// sql/Table.sql), fed the steps decided here.
TUpgradeScript BuildUpgradeScript(const TProjectModel& from, const TProjectModel& to, const TUpgradeOptions& options,
                                  const TTemplateSet& templates = TTemplateSet::BuiltIn());

namespace UpgradeTexts {
inline const char* const kNothingToDo = "没有需要升级的内容";
}  // namespace UpgradeTexts
