#pragma once

#include <string>
#include <vector>

#include "catalogue/DbHelper.h"

// Records the SQL text of every statement the stores send while it lives.
class TStatementLog {
 public:
  TStatementLog() {
    TDbHelper::SetStatementObserver([this](const std::string& sql) { FStatements.push_back(sql); });
  }
  ~TStatementLog() { TDbHelper::SetStatementObserver(nullptr); }
  TStatementLog(const TStatementLog&) = delete;
  TStatementLog& operator=(const TStatementLog&) = delete;

  const std::vector<std::string>& Statements() const { return FStatements; }

 private:
  std::vector<std::string> FStatements;
};
