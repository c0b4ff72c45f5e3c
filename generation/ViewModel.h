#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "generation/LayerCommon.h"
#include "generation/TemplateEngine.h"
#include "model/ClassIndex.h"
#include "model/ProjectModel.h"

// What the templates are fed: per project and per class everything a generated text needs (names,
// types, C# and SQL types, conversions, key kind, separators, each catalogue text in the form of the
// place it goes), decided here so that templates hold text and placeholders only.
//
// The views point into the project model, which must outlive them. Texts are made when a template
// asks for them, so a view costs little more than the lists of its members.

class TClassView;
class TProjectView;

// One member of a class, as a member scope's frame sees it.
struct TMemberView {
  const TMember* member = nullptr;
  const TClassView* owner = nullptr;
  bool reference = false;     // the type names a class
  bool resolved = true;       // a reference whose class exists and has a key
  TValueKind kind = TValueKind::Text;  // meaningful when resolved
  const TClassModel* refClass = nullptr;
  const TMember* refKey = nullptr;
  const TMember* refDisplay = nullptr;
};

class TClassView {
 public:
  TClassView(const TProjectView& project, const TClassModel& entry);
  TClassView(const TClassView&) = delete;
  TClassView& operator=(const TClassView&) = delete;

  const TProjectView& project;
  const TClassModel& model;
  const TMember* key;  // nullptr when the class has none
  std::vector<TMemberView> members;
  // The lists the templates walk, as pointers to TMemberView.
  std::vector<const void*> all, nonKey, insert, search, shown, form, references, foreignKeys;
  const TMemberView* firstUnresolved = nullptr;  // the first member whose type names no class with a key
  int lastColumn = -1;  // in nonKey: the last member that becomes a column of the table

  // Raises the error the C# layers raise for a member type that names no class with a key.
  void RequireTypes() const;
};

// Asks for a view of a project read without its members (TModelStore::LoadClassesOf) for a run the site's
// record vouches for (TSiteWriter::TrustRecord): each class's inputs are then what the record shows.
struct TInputsAsRecorded {};

// Raised when something asks such a view for what only the members tell: a class's view or texts.
class TNotAsRecorded : public std::runtime_error {
 public:
  TNotAsRecorded() : std::runtime_error("the project was read without its members") {}
};

class TProjectView {
  std::unique_ptr<TClassIndex> FOwnIndex;  // when no index was given; made before classes refers to it

 public:
  explicit TProjectView(const TProjectModel& project);
  TProjectView(const TProjectModel& project, const TClassIndex& classes);
  // Every class's inputs are TSiteWriter::InputsAsRecorded(); asking for a class's view raises TNotAsRecorded.
  TProjectView(const TProjectModel& project, TInputsAsRecorded);
  TProjectView(const TProjectView&) = delete;
  TProjectView& operator=(const TProjectView&) = delete;

  const TProjectModel& model;
  const TClassIndex& classes;

  // The view of every class, in catalogue order, made when first asked for.
  const std::vector<const void*>& ClassList() const;
  // The view of one class of the project, made once and kept with the project's view. The layers' files
  // each make a view of their own instead (TClassView's constructor) and drop it once written: the views of
  // every class kept through the three layers held 23 MB at 10,000 classes.
  const TClassView& ClassOf(const TClassModel& entry) const;
  // The digest of what the class's texts are made from (GenerationInputs::OfClass), made once.
  const std::string& InputsOf(const TClassModel& entry) const;
  // The digest of what the checks of a run named so look at (GenerationInputs::OfProject).
  std::string InputsOfProject(const std::string& runName) const;
  // The members of every class (this one too) whose type names the class, in catalogue order: the
  // columns that keep a row of it from being deleted. Found for all classes at once, when first asked.
  const std::vector<const void*>& ReferencesTo(const TClassModel& entry) const;

 private:
  std::size_t PositionOf(const TClassModel& entry) const;

  const bool FAsRecorded = false;

  mutable std::vector<std::unique_ptr<TClassView>> FViews;  // by position in model.classes
  mutable std::vector<std::string> FInputs;                 // by position in model.classes
  mutable std::vector<const void*> FList;
  mutable bool FListMade = false;
  mutable std::vector<std::vector<const void*>> FReferencesTo;  // by position in model.classes
  mutable bool FReferencesToMade = false;
};

// One step of an upgrade script: what it does, to which table and column, decided by the upgrade
// (BuildUpgradeScript); the template sql/Upgrade.sql writes its statement.
struct TUpgradeStep {
  enum class TKind {
    DropConstraints,  // the foreign keys and defaults on a column, found by name in the system views
    Guard,            // a check of the table's data that stops the script
    RenameTable,
    RenameColumn,
    CreateTable,  // the table script's CREATE TABLE of an added class
    AddColumn,
    DropDefault,  // the default an added required column got for the rows there
    CutValues,    // values too long for a shorter column, cut
    FillNulls,    // the NULLs of a column made required, filled
    AlterColumn,
    DropColumn,
    DropTable,
    KeptTable,  // a removed class's DROP TABLE, commented out
    AddForeignKey,
  };
  TKind kind = TKind::DropConstraints;
  std::string table;
  std::string column;   // a rename's old name
  std::string newName;  // a rename's new name
  // The column as ADD and ALTER COLUMN write it: varchar, int, float or datetime, the varchar's length (also
  // the length CutValues cuts to), NOT NULL.
  std::string type;
  int length = 0;
  bool notNull = false;
  std::string constraint;        // the default's name (AddColumn with a default, DropDefault)
  std::string value;             // the default's value, what FillNulls puts in
  std::string condition;         // Guard: the rows that stop the script (empty: any row)
  std::string message;           // Guard: what the user is told
  std::string text;              // CreateTable: the statement, without its last line end
  std::string refTable, refKey;  // AddForeignKey
};

// What sql/Upgrade.sql is fed besides the project: the header's lines and the steps in the order they run.
struct TUpgradeView {
  std::string projectName;
  std::string from;  // where the old model came from ("版本 003（…）")
  bool nothingToDo = false;
  std::vector<std::string> changes, warnings;
  std::vector<TUpgradeStep> steps;
  // The lists the template walks; MakeLists fills them once the rest is done.
  std::vector<const void*> changeList, warningList, stepList;
  void MakeLists();
};

namespace ViewModel {

// Every variable, scope by scope in the order `templates variables` lists them.
const std::vector<TVariable>& Variables();
// True for a variable whose value comes from beyond its class and what the class's members refer to:
// the project's classes, or the members of other classes that refer to the class. A class's text that
// reads one depends on more than its class's inputs (GenerationInputs::OfClass).
bool ReadsOtherClasses(const TVariable& variable);
// The variable of that name in the scope; nullptr when there is none.
const TVariable* Find(TViewScope scope, std::string_view name);
// "project", "class", "member".
const char* ScopeName(TViewScope scope);
// Every variable with its kind and meaning, scope by scope: what `templates variables` prints and the
// reference in the docs holds.
std::string Reference();

}  // namespace ViewModel
