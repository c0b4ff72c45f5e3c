#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "model/ProjectModel.h"
#include "transfer/json/ModelJson.h"

// One version of a site's database, as the site keeps it in App_Data/upgrades/: the project file's text with
// the catalogue ids of the project, its classes and its members, under a format name of its own, so that
// `import` refuses it and an upgrade can tell a renamed class or member from a new one.
class TVersionJson {
 public:
  static constexpr const char* kFormatName = "corvanthel-version";
  static constexpr int kFormatVersion = 1;

  // The file's text: the project file's keys in the same order, each id first in its object.
  std::string Export(const TProjectModel& project);
  // The same text in blocks of at most 64 KB, in order (TModelJson::Export in parts).
  void Export(const TProjectModel& project, const std::function<void(std::string_view)>& part);
  // Reads a version's text as TModelJson::Import reads a project file, ids included.
  TModelJsonResult Import(const std::string& text);
  // True when the text is JSON whose format is a version's (whatever else it holds).
  static bool IsVersion(const std::string& text);
};
