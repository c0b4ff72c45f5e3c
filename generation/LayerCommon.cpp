#include "generation/LayerCommon.h"

#include "catalogue/DbHelper.h"
#include "catalogue/MemberDAO.h"
#include "generation/FileOperate.h"

namespace LayerCommon {

namespace {

thread_local TReferenceKindCache* tCache = nullptr;

// The kind of the key of a class named as a member type; empty when there is none.
std::optional<TValueKind> ReferencedKeyKind(int projectId, const std::string& className) {
  const std::unique_ptr<TMember> key = TMemberDAO().GetKeyMemberByClassName(projectId, className);
  if (!key) return std::nullopt;
  return key->GetMemberIsInteger() == 1 ? TValueKind::Integer : TValueKind::Text;
}

}  // namespace

TValueKind ValueKindOf(int projectId, const std::string& className, const std::string& memberName,
                       const std::string& memberType) {
  if (memberType == MemberTypes::kString || memberType == MemberTypes::kPicture) return TValueKind::Text;
  if (memberType == MemberTypes::kDate) return TValueKind::Date;
  if (memberType == MemberTypes::kInteger) return TValueKind::Integer;
  if (memberType == MemberTypes::kFloat) return TValueKind::Float;
  const std::optional<TValueKind> kind =
      tCache != nullptr ? tCache->KeyKindOf(projectId, memberType) : ReferencedKeyKind(projectId, memberType);
  if (!kind) {
    throw TGenerationError("类“" + className + "”的成员“" + memberName + "”的类型“" + memberType +
                           "”既不是基本类型，也不是本工程中有主键的类，无法生成代码");
  }
  return *kind;
}

TReferenceKindCache::TReferenceKindCache() : FPrevious(tCache) {
  tCache = this;
}

TReferenceKindCache::~TReferenceKindCache() {
  tCache = FPrevious;
}

std::optional<TValueKind> TReferenceKindCache::KeyKindOf(int projectId, const std::string& className) {
  const auto key = std::make_pair(projectId, className);
  const auto found = FKinds.find(key);
  if (found != FKinds.end()) return found->second;
  return FKinds[key] = ReferencedKeyKind(projectId, className);
}

const char* CSharpTypeOf(TValueKind kind) {
  switch (kind) {
    case TValueKind::Integer:
      return "int";
    case TValueKind::Float:
      return "float";
    case TValueKind::Date:
      return "DateTime";
    case TValueKind::Text:
      break;
  }
  return "string";
}

std::string ObjectNameOf(const std::string& className) {
  std::string objectName = className;
  if (!objectName.empty() && objectName[0] >= 'A' && objectName[0] <= 'Z') objectName[0] += 'a' - 'A';
  return objectName;
}

std::unique_ptr<TMember> KeyMemberOf(int classId, const std::string& className) {
  std::unique_ptr<TMember> key = TMemberDAO().GetKeyMemberOfClass(classId);
  if (!key) throw TGenerationError("类“" + className + "”没有主键成员，无法生成代码");
  return key;
}

void WriteLayerFile(const TGenerationTarget& target, const std::string& layerFolder, const std::string& fileName,
                    const std::string& text, const TProgressCallback& progress) {
  // The site's folders are Windows-style "projects\P\App_Code\ENTITY" under the program
  // folder. Here they are the same path with forward slashes, written under the program
  // folder given by the caller instead of relying on the current directory. The log
  // line keeps the site-relative name "projects/P/App_Code/ENTITY/Book.cs" as users know it.
  const std::string relativeFolder = "projects/" + target.projectName + "/" + layerFolder;
  const std::string relativeFile = relativeFolder + "/" + fileName;
  const std::string base = target.programFolder.empty() ? std::string() : target.programFolder + "/";
  // A name from the catalogue must never turn a layer file into the catalogue or a template file.
  TFileOperate::WriteTextFile(base + relativeFolder, base + relativeFile, text,
                              TProtectedPaths::Of(TDbHelper::CatalogueFile(), base + "bak"));
  if (progress) progress(relativeFile + "生成完毕!");
}

}  // namespace LayerCommon
