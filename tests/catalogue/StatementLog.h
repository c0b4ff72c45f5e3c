#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>
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

// While it lives, the first catalogue statement sent after the given number of statements
// first lets another thread run an edit to its end: a writer that comes between the
// statements of one read.
class TEditBetweenStatements {
 public:
  TEditBetweenStatements(int after, std::function<void()> edit) {
    TDbHelper::SetStatementObserver([this, after, edit](const std::string&) {
      if (FEditing || ++FSeen != after + 1) return;
      FEditing = true;
      std::thread(edit).join();
      FEdited = true;
    });
  }
  ~TEditBetweenStatements() { TDbHelper::SetStatementObserver(nullptr); }
  bool Edited() const { return FEdited; }

 private:
  std::atomic<bool> FEditing{false};
  std::atomic<bool> FEdited{false};
  int FSeen = 0;
};
