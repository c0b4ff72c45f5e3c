#pragma once

#include <string>
#include <vector>

#include "generation/AutoCode.h"

// Records every call a generation run makes, in order: the progress lines, the outcomes
// as short texts, and the run's report on the site's files.
class TRecordingObserver : public TAutoCodeObserver {
 public:
  std::vector<std::string> lines;
  std::vector<std::string> outcomes;
  TSiteReport report;

  void Progress(const std::string& line) override { lines.push_back(line); }
  void PrimaryKeyError(int classId) override { outcomes.push_back("key " + std::to_string(classId)); }
  void DisplayMemberError(int classId) override { outcomes.push_back("display " + std::to_string(classId)); }
  void ReferenceError(const std::string& className, const std::string& memberName,
                      const std::string& memberType) override {
    outcomes.push_back(AutoCodeTexts::ReferenceError(className, memberName, memberType));
  }
  void ProjectProblem(const std::string& message) override { outcomes.push_back("problem " + message); }
  void SiteReport(TSiteReport siteReport) override { report = std::move(siteReport); }
  void Done() override { outcomes.push_back("done"); }
  void Failed(const std::string& error) override { outcomes.push_back("failed " + error); }
};
