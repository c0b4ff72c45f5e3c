#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The template engine every generated text goes through: Mustache templates (tags, sections, inverted
// sections, comments, partials, delimiter changes, standalone lines as the Mustache language defines them, CR LF
// included) without HTML escaping, checked against the view model's variables when they are read.
//
// Reading a template scans its text once: every tag is found with its line and column, its name is
// looked up among the variables of the scopes it stands in (a list section opens the scope of its
// items), and the template becomes a tree whose tags point at their variables. Rendering walks that
// tree over the view model's objects; nothing is looked up by name while rendering.

// The scopes of the view model: what a variable is a property of.
enum class TViewScope { Project, Class, Member, Upgrade, Step, Line };

// The view model object a variable is read from, with its place in the list it came from.
struct TViewFrame {
  const void* object = nullptr;
  int index = 0;  // its position in the list, from 0
  int count = 1;  // the length of the list
};

enum class TVariableType { Text, Bool, List };

// One variable of the view model: a name in a scope, and how to read it from a frame of that scope.
struct TVariable {
  const char* name;
  TViewScope scope;
  TVariableType type;
  TViewScope itemScope;  // a list's items
  const char* meaning;   // one line, as `templates variables` prints it
  void (*text)(const TViewFrame& frame, std::string& out) = nullptr;
  bool (*test)(const TViewFrame& frame) = nullptr;
  const std::vector<const void*>& (*items)(const TViewFrame& frame) = nullptr;
};

// A template that cannot be used: it does not parse, names a variable its place does not have, or
// cannot be read. The message is the one the user sees, in Chinese, naming the file, the line, the
// column and the name.
class TTemplateError : public std::runtime_error {
 public:
  TTemplateError(const std::string& message, std::string file, int line, int column, std::string name)
      : std::runtime_error(message), file(std::move(file)), line(line), column(column), name(std::move(name)) {}
  std::string file;
  int line;
  int column;
  std::string name;
};

// A template's text as the engine reads it, and where it came from.
struct TTemplateSource {
  std::string name;   // "Entity.cs", "sql/Table.sql": how partials name it
  std::string shown;  // the file as messages name it: a path, or "内置模板 Entity.cs"
  std::string text;   // with CR LF line ends (see NormalizeLineEnds)
  bool user = false;  // the user's file rather than the built-in one
};

struct TTemplateNode {
  enum class Kind { Text, Value, Section, Inverted };
  Kind kind = Kind::Text;
  std::string text;                    // Text: the literal bytes
  const TVariable* variable = nullptr;  // the others: the variable
  int depth = 0;                       // the frame the variable is read from, counted from the bottom
  std::vector<TTemplateNode> children;  // Section, Inverted
};

// A read template: its tree, and the templates it is made of (itself first, then its partials).
struct TParsedTemplate {
  std::vector<TTemplateNode> nodes;
  std::vector<const TTemplateSource*> sources;
  bool MadeByUser() const;
};

namespace TemplateEngine {

// Finds a partial's source by its name; nullptr when the set has none.
using TPartialLookup = std::function<const TTemplateSource*(const std::string& name)>;

// The variables of a scope, by name; nullptr when the view model has none.
using TVariableLookup = std::function<const TVariable*(TViewScope scope, std::string_view name)>;

// Reads a template whose outermost frames have the scopes given (bottom first: {Project, Class} for a
// class's file). TTemplateError on the first fault, in the file it stands in.
TParsedTemplate Parse(const TTemplateSource& source, const std::vector<TViewScope>& scopes,
                      const TVariableLookup& variables, const TPartialLookup& partials);

// Appends the template's text for the frames given (as many as the scopes it was read with).
void Render(const TParsedTemplate& parsed, std::vector<TViewFrame>& frames, std::string& out);

// Every LF not preceded by CR becomes CR LF: template files may be written with either, and the
// generated text always has CR LF.
std::string NormalizeLineEnds(const std::string& text);

}  // namespace TemplateEngine
