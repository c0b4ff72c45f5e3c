#pragma once

#include <memory>
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

class TProjectView {
  std::unique_ptr<TClassIndex> FOwnIndex;  // when no index was given; made before classes refers to it

 public:
  explicit TProjectView(const TProjectModel& project);
  TProjectView(const TProjectModel& project, const TClassIndex& classes);
  TProjectView(const TProjectView&) = delete;
  TProjectView& operator=(const TProjectView&) = delete;

  const TProjectModel& model;
  const TClassIndex& classes;

  // The view of every class, in catalogue order, made when first asked for.
  const std::vector<const void*>& ClassList() const;
  // The view of one class of the project, made once.
  const TClassView& ClassOf(const TClassModel& entry) const;
  // The digest of what the class's texts are made from (GenerationInputs::OfClass), made once.
  const std::string& InputsOf(const TClassModel& entry) const;
  // The digest of what the checks of a run named so look at (GenerationInputs::OfProject).
  std::string InputsOfProject(const std::string& runName) const;

 private:
  std::size_t PositionOf(const TClassModel& entry) const;

  mutable std::vector<std::unique_ptr<TClassView>> FViews;  // by position in model.classes
  mutable std::vector<std::string> FInputs;                 // by position in model.classes
  mutable std::vector<const void*> FList;
  mutable bool FListMade = false;
};

namespace ViewModel {

// Every variable, scope by scope in the order `templates variables` lists them.
const std::vector<TVariable>& Variables();
// The variable of that name in the scope; nullptr when there is none.
const TVariable* Find(TViewScope scope, std::string_view name);
// "project", "class", "member".
const char* ScopeName(TViewScope scope);
// Every variable with its kind and meaning, scope by scope: what `templates variables` prints and the
// reference in the docs holds.
std::string Reference();

}  // namespace ViewModel
