#include "model/ProjectChecker.h"

std::vector<TProblem> CheckProject(const TProjectModel& /*project*/) {
  return {};
}
