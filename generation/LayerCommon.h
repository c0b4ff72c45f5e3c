#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include "model/ClassIndex.h"
#include "model/Member.h"
#include "site/GenerationTarget.h"

// What the three layer generators share: how a member type turns into the kind of value
// the C# code uses, and how a layer's file reaches the site.

class TSiteWriter;

// A class that cannot be turned into code: a member type that names nothing, or a
// class without a key member. Raised before the class's file is written.
class TGenerationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// How a member's value is held in the generated C# code.
enum class TValueKind { Text, Integer, Float, Date };

namespace LayerCommon {

// The kind of a member's value. A type that is none of the five type names is the name
// of a class of the project, and takes the kind of that class's key (integer when its
// memberIsInteger is 1, text otherwise). A type naming no class with a key member
// raises TGenerationError naming the class, the member and the type.
TValueKind ValueKindOf(const TClassIndex& classes, const std::string& className, const TMember& member);

// "string", "int", "float" or "DateTime".
const char* CSharpTypeOf(TValueKind kind);

// The class name with its first character made lower case when it is A to Z.
std::string ObjectNameOf(const std::string& className);

// The class's key member (the first, should there be several); TGenerationError when it has none.
const TMember& KeyMemberOf(const TClassModel& entry);

// Writes one generated file of a layer into the site, encoded to GBK, and reports it.
// layerFolder is the folder inside the site ("App_Code/ENTITY"), fileName the bare file
// name ("Book.cs"). A file kept as edited by hand gets a progress line that says so. madeByUser:
// a user's template made the text, which the site's report notes.
// inputs: the digest of what the text was made from, for the site's record (empty: not known).
void WriteLayerFile(TSiteWriter& site, const std::string& layerFolder, const std::string& fileName,
                    const std::string& text, const TProgressCallback& progress, bool madeByUser = false,
                    const std::string& inputs = {});

// Writes one class's file as WriteLayerFile does, the text made by render (which says whether a user's
// template made it). inputs: TTemplateSet::InputsOf the class's file. When the site's record shows the file
// made from the same inputs and untouched since, the file is unchanged without its text being made: it
// gets the same progress line and report (madeByUser: whether the user's template has a say in it).
void WriteClassFile(TSiteWriter& site, const std::string& layerFolder, const std::string& fileName,
                    const std::string& inputs, bool madeByUser,
                    const std::function<std::string(bool* madeByUser)>& render, const TProgressCallback& progress);

}  // namespace LayerCommon
