#pragma once

#include <QString>
#include <string>

#include "generation/DatabaseUpgrade.h"
#include "ui/DataBaseSql.h"

class QLabel;
class QPushButton;

// The window "数据库升级sql语句": the script window showing the script that upgrades a project's database from
// the site's latest version, with the button "记录为新版本(&R)" that stores it as the next version, as
// `upgrade-sql --record` does (both through RunDatabaseUpgrade).
class TUpgradeSqlForm : public TDataBaseSqlForm {
  Q_OBJECT

 public:
  // Builds the script of the target's project. A problem (no site, no baseline version, damaged versions, a
  // project the table script refuses) is shown through Prompts and nothing opens; so is the message that
  // there is nothing to upgrade. Otherwise the window opens, modal over the parent.
  static void ShowForTarget(QWidget* parent, const TGenerationTarget& target);

  // A window showing `script`, built for `request` (without record).
  TUpgradeSqlForm(QWidget* parent, const TDatabaseUpgradeRequest& request, const std::string& script);

 protected:
  std::string BuildText() override { return FScript; }
  QString SuggestedBaseName() const override;

 private slots:
  void BT_RecordClick();

 private:
  TDatabaseUpgradeRequest FRequest;
  std::string FScript;  // the script shown, as built
  QLabel* LB_Version;
  QPushButton* BT_Record;
};
