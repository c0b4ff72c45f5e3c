#pragma once

#include <functional>
#include <string>

// Where a generation run writes its site, and how it reports each file it writes.

// Receives one line of the generation log per written file.
using TProgressCallback = std::function<void(const std::string& line)>;

// The project being generated, taken once when the run starts.
struct TGenerationTarget {
  int projectId = 0;
  std::string projectName;
  // The program folder (absolute, no trailing slash): the site is written into
  // programFolder/projects/<projectName>.
  std::string programFolder;
  // The template site copied into the site; empty: programFolder/bak. An installed
  // program reads it from its share folder while the sites go to the user's data.
  std::string templateFolder = {};
  // The user's folder of generation templates (see TTemplateSet); empty: the built-in templates alone.
  std::string userTemplates = {};
};

// The site's folder: programFolder/projects/<projectName> (relative to the current folder without a program
// folder), and its name as messages and the progress log show it: "projects/<projectName>".
inline std::string ShownSiteOf(const TGenerationTarget& target) {
  return "projects/" + target.projectName;
}
// The folder every site lives in: programFolder/projects ("projects" without a program folder).
inline std::string SitesFolderOf(const TGenerationTarget& target) {
  return (target.programFolder.empty() ? std::string() : target.programFolder + "/") + "projects";
}
inline std::string SiteFolderOf(const TGenerationTarget& target) {
  return SitesFolderOf(target) + "/" + target.projectName;
}
