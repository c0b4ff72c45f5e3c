#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "generation/TemplateEngine.h"
#include "generation/ViewModel.h"

struct TProtectedPaths;

// The templates a run renders: the built-in set compiled into the program (generation/templates), each
// replaced by the user's file of the same path when a user's folder holds one.
//
// Every template is read and checked when the set is made, so a run learns of a broken template
// before it writes anything; the set is then only read, by any thread.

// One template of the built-in set.
struct TBuiltInTemplate {
  std::string name;      // "Entity.cs": the path below the templates folder without ".mustache"
  TViewScope scope;      // the outermost frame it is rendered with
  std::string makes;     // what it writes, for `templates status`
  int revision = 0;      // from its first line, raised whenever its text changes
  std::string text;      // as in the sources (UTF-8, LF)
};

enum class TTemplateState { BuiltIn, User, UserOlder };

struct TTemplateStatus {
  std::string name;
  TTemplateState state;
  std::string path;      // the user's file; empty for a built-in one
  int builtInRevision;
  int userRevision;      // 0 when the user's file names none
};

namespace TemplateTexts {
// "模板: 内置" or "模板: FOLDER (替换 N 个)": which set a run uses.
std::string StatusLine(const std::string& folder, int replaced);
// The warning for a user's template written for an older revision than the built-in one.
std::string OlderRevision(const TTemplateStatus& status);
}  // namespace TemplateTexts

class TTemplateSet {
 public:
  // The built-in set alone.
  TTemplateSet();
  // The built-in set with the user's folder over it. A folder that does not exist replaces nothing.
  // TTemplateError when a template of the folder cannot be read or does not parse.
  explicit TTemplateSet(const std::string& userFolder);
  TTemplateSet(const TTemplateSet&) = delete;
  TTemplateSet& operator=(const TTemplateSet&) = delete;

  // The built-in set, made once.
  static const TTemplateSet& BuiltIn();
  static const std::vector<TBuiltInTemplate>& BuiltInTemplates();
  // The text `templates export` writes for a built-in template: its source, whose first line is a Mustache
  // comment naming it and its revision.
  static std::string ExportText(const TBuiltInTemplate& entry);

  // The files of a folder that an export into it would overwrite.
  static std::vector<std::string> TakenByExport(const std::string& folder);
  // Writes every built-in template into the folder (its subfolders made as needed) and returns the paths
  // written; TFileError when one cannot be written, and before anything is made when the folder is or
  // would lie inside one of the protected paths (the template site). Call TakenByExport first: this
  // overwrites.
  static std::vector<std::string> Export(const std::string& folder, const TProtectedPaths& protectedPaths);
  // How many built-in templates a folder replaces, without reading them.
  static int CountReplaced(const std::string& folder);

  const std::string& Folder() const { return FFolder; }
  // How many built-in templates the user's folder replaces.
  int Replaced() const;
  std::vector<TTemplateStatus> Status() const;
  // One warning per user's template written for an older revision, in template order.
  std::vector<std::string> Warnings() const;

  // Appends the template's text for the project and (for a class's template) the class. Returns true
  // when a user's template made it (the template itself or a partial it includes).
  bool Render(const std::string& name, const TProjectView& project, const TClassView* entry, std::string& out) const;
  std::string Render(const std::string& name, const TProjectView& project, const TClassView* entry = nullptr) const;
  // The upgrade script's template (sql/Upgrade.sql) for the project and the upgrade.
  std::string Render(const std::string& name, const TProjectView& project, const TUpgradeView& upgrade) const;
  // True when the user's folder has a say in the template's text.
  bool MadeByUser(const std::string& name) const;
  // True for a class's template whose text depends on nothing of the project but its class (and what
  // the class's members refer to) and the project's name: it does not walk the project's classes.
  bool MakesTextOfItsClass(const std::string& name) const;
  // The digest of what the template's file for the class is made from, for the site's record
  // (TSiteWriter::Keep): the class's inputs when the template makes a text of its class alone, else empty
  // (the file is always made). Each template writes paths of its own, so a file's path and these inputs
  // tell what made it.
  // The text returned lives as long as the project.
  const std::string& InputsOf(const std::string& name, const TProjectView& project, const TClassModel& entry) const;
  // SHA-256 (hex) of what tells this set from another of the same program: the text of each of the user's
  // files, as this set renders it, and the name of each built-in text it uses.
  const std::string& Digest() const;

 private:
  struct TEntry {
    const TBuiltInTemplate* builtIn = nullptr;
    std::unique_ptr<TTemplateSource> source;
    TParsedTemplate parsed;
    bool onlyItsClass = false;
  };

  void Load();
  void ReadFolder();
  const TTemplateSource* FindSource(const std::string& name) const;
  const TEntry& Entry(const std::string& name) const;

  std::string FFolder;
  mutable std::once_flag FDigestOnce;  // the set is read by any thread
  mutable std::string FDigest;
  std::map<std::string, TEntry> FEntries;                          // every built-in name
  std::map<std::string, std::unique_ptr<TTemplateSource>> FExtra;  // the user's files at no built-in path
};
