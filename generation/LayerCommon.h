#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "catalogue/Member.h"

// What the three layer generators share: where a project's site goes, how progress
// is reported, and how a member type turns into the kind of value the C# code uses.

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
};

// A class that cannot be turned into code: a member type that names nothing, or a
// class without a key member. Raised before the class's file is written.
class TGenerationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// How a member's value is held in the generated C# code.
enum class TValueKind { Text, Integer, Float, Date };

namespace LayerCommon {

// While one exists on a thread, ValueKindOf on that thread looks up the key of each
// referenced class once and remembers it. The generation run keeps one for as long
// as it reads its catalogue snapshot, in which nothing can change; without it every
// reference member of every layer would look its class up again.
class TReferenceKindCache {
 public:
  TReferenceKindCache();
  ~TReferenceKindCache();
  TReferenceKindCache(const TReferenceKindCache&) = delete;
  TReferenceKindCache& operator=(const TReferenceKindCache&) = delete;

  // The kind of the key of class className of the project; empty when it has none.
  std::optional<TValueKind> KeyKindOf(int projectId, const std::string& className);

 private:
  std::map<std::pair<int, std::string>, std::optional<TValueKind>> FKinds;
  TReferenceKindCache* FPrevious;
};

// The kind of a member of type memberType. A type that is none of the five type
// names is the name of a class of the project, and takes the kind of that class's
// key (integer when its memberIsInteger is 1, text otherwise). A type naming no class
// with a key member raises TGenerationError naming the class, the member and the type.
TValueKind ValueKindOf(int projectId, const std::string& className, const std::string& memberName,
                       const std::string& memberType);

// "string", "int", "float" or "DateTime".
const char* CSharpTypeOf(TValueKind kind);

// The class name with its first character made lower case when it is A to Z.
std::string ObjectNameOf(const std::string& className);

// The class's key member; TGenerationError when it has none.
std::unique_ptr<TMember> KeyMemberOf(int classId, const std::string& className);

// Writes one generated file of a layer and reports it. layerFolder is the folder
// inside the site ("App_Code/ENTITY"), fileName the bare file name ("Book.cs").
void WriteLayerFile(const TGenerationTarget& target, const std::string& layerFolder, const std::string& fileName,
                    const std::string& text, const TProgressCallback& progress);

}  // namespace LayerCommon
