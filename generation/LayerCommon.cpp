#include "generation/LayerCommon.h"

#include "model/NameRules.h"
#include "site/FileOperate.h"
#include "site/SiteWriter.h"

namespace LayerCommon {

TValueKind ValueKindOf(const TClassIndex& classes, const std::string& className, const TMember& member) {
  const std::string& memberType = member.GetMemberType();
  if (memberType == MemberTypes::kString || memberType == MemberTypes::kPicture) return TValueKind::Text;
  if (memberType == MemberTypes::kDate) return TValueKind::Date;
  if (memberType == MemberTypes::kInteger) return TValueKind::Integer;
  if (memberType == MemberTypes::kFloat) return TValueKind::Float;
  const TClassModel* referenced = classes.Find(memberType);
  const TMember* key = referenced != nullptr ? referenced->KeyMember() : nullptr;
  if (key == nullptr) {
    throw TGenerationError(
        "类“" + NameRules::Printable(className) + "”的成员“" + NameRules::Printable(member.GetMemberName()) +
        "”的类型“" + NameRules::Printable(memberType) + "”既不是基本类型，也不是本工程中有主键的类，无法生成代码");
  }
  return key->GetMemberIsInteger() == 1 ? TValueKind::Integer : TValueKind::Text;
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

const TMember& KeyMemberOf(const TClassModel& entry) {
  const TMember* key = entry.KeyMember();
  if (key == nullptr)
    throw TGenerationError("类“" + NameRules::Printable(entry.className) + "”没有主键成员，无法生成代码");
  return *key;
}

namespace {

void Report(TSiteWriter& site, const std::string& relative, TSiteFileState state, const TProgressCallback& progress) {
  if (!progress) return;
  if (state == TSiteFileState::Edited && site.Options().keepEdits) {
    progress(SiteTexts::KeptEdit(site.Shown(relative)));
  } else {
    progress(site.Shown(relative) + "生成完毕!");
  }
}

}  // namespace

void WriteClassFile(TSiteWriter& site, const std::string& layerFolder, const std::string& fileName,
                    const std::string& inputs, bool madeByUser,
                    const std::function<std::string(bool* madeByUser)>& render, const TProgressCallback& progress) {
  const std::string relative = layerFolder + "/" + fileName;
  if (!inputs.empty() && site.Keep(relative, inputs)) {
    if (madeByUser) site.NoteUserTemplate(relative);
    return Report(site, relative, TSiteFileState::Unchanged, progress);
  }
  bool byUser = false;
  const std::string text = render(&byUser);
  WriteLayerFile(site, layerFolder, fileName, text, progress, byUser, inputs);
}

void WriteLayerFile(TSiteWriter& site, const std::string& layerFolder, const std::string& fileName,
                    const std::string& text, const TProgressCallback& progress, bool madeByUser,
                    const std::string& inputs) {
  // The site's folders are Windows-style "projects\P\App_Code\ENTITY" under the program
  // folder. Here they are the same path with forward slashes, written under the program
  // folder given by the caller instead of relying on the current directory. The log
  // line keeps the site-relative name "projects/P/App_Code/ENTITY/Book.cs" as users know it.
  const std::string relative = layerFolder + "/" + fileName;
  const TSiteFileState state =
      site.Write(relative, TFileOperate::GbkBytesOf(site.FullPath(relative), text), 0666, inputs);
  if (madeByUser) site.NoteUserTemplate(relative);
  Report(site, relative, state, progress);
}

}  // namespace LayerCommon
