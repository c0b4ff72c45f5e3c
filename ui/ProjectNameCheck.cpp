#include "ui/ProjectNameCheck.h"

#include "catalogue/ProjectDAO.h"
#include "model/NameRules.h"
#include "ui/Prompts.h"

bool ProjectNameCheck::CheckShape(const QString& name) {
  const std::string problem = NameRules::ProjectNameProblem(name.toStdString());
  if (problem.empty()) return true;
  Prompts::ShowMessage(QString::fromStdString(problem));
  return false;
}

bool ProjectNameCheck::CheckNewName(const QString& name) {
  if (name.isEmpty()) {
    Prompts::ShowMessage("工程名称不能为空!");
    return false;
  }
  if (!CheckShape(name)) return false;
  if (TProjectDAO().CountProjectsByName(name.toStdString()) >= 1) {
    Prompts::ShowMessage(NameRules::kProjectNameTakenMessage);
    return false;
  }
  return true;
}
