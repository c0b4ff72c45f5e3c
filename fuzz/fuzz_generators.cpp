// The checker followed by every generator, on a project built from the bytes: entity, BLL, DAL, each
// class's table script, the pages, and for a project without unsafe problems the whole table script and an
// upgrade script. Whatever the friendly names and comments hold, the generated code is the code of the same
// project with each of them "X" (comments and strings taken out), checked or not; a project the checker
// passes generates text that encodes to GBK.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "generation/BLLOperate.h"
#include "generation/DALOperate.h"
#include "generation/DataBaseSql.h"
#include "generation/EntityOperate.h"
#include "generation/PageOperate.h"
#include "generation/UpgradeSql.h"
#include "model/ClassIndex.h"
#include "model/Member.h"
#include "model/NameRules.h"
#include "model/ProjectChecker.h"
#include "support/CodeShape.h"
#include "text/GbkText.h"

namespace {

const char* const kClassNames[] = {"Book", "Category", "tag", "Press", "Order", "BOOK"};
const char* const kMemberNames[] = {"id", "name", "title", "price", "code", "Book", "ID"};
const char* const kTypes[] = {MemberTypes::kString, MemberTypes::kInteger, MemberTypes::kFloat,
                              MemberTypes::kDate, MemberTypes::kPicture};

std::string Name(FuzzedDataProvider& bytes, const char* const* pool, std::size_t poolSize) {
  if (bytes.ConsumeBool()) return bytes.ConsumeRandomLengthString(24);
  return pool[bytes.ConsumeIntegralInRange<std::size_t>(0, poolSize - 1)];
}

TProjectModel ProjectOf(FuzzedDataProvider& bytes) {
  TProjectModel project;
  project.projectName = bytes.ConsumeBool() ? "Shop" : bytes.ConsumeRandomLengthString(16);
  const int classCount = bytes.ConsumeIntegralInRange(1, 4);
  for (int c = 0; c < classCount; ++c) {
    TClassModel entry;
    entry.classId = c + 1;
    entry.className = Name(bytes, kClassNames, std::size(kClassNames));
    entry.friendName = bytes.ConsumeRandomLengthString(32);
    const int memberCount = bytes.ConsumeIntegralInRange(1, 5);
    for (int m = 0; m < memberCount; ++m) {
      TMember member;
      member.SetMemberName(Name(bytes, kMemberNames, std::size(kMemberNames)));
      const int type = bytes.ConsumeIntegralInRange(0, 6);
      member.SetMemberType(type < 5 ? kTypes[type]
                           : type == 5 ? Name(bytes, kClassNames, std::size(kClassNames))
                                       : bytes.ConsumeRandomLengthString(12));
      member.SetMemberLength(bytes.ConsumeIntegralInRange(-1, 9000));
      member.SetMemberIsPri(m == 0 ? 1 : bytes.ConsumeIntegralInRange(0, 2) == 2);
      member.SetMemberIsInteger(member.GetMemberType() == MemberTypes::kInteger || bytes.ConsumeBool());
      member.SetMemberIsDisplay(m == 0 ? 1 : 0);
      member.SetMemberIsMust(bytes.ConsumeBool());
      member.SetQueryFlag(bytes.ConsumeBool());
      member.SetMemberQueryDisplay(bytes.ConsumeBool());
      member.SetMemberComment(bytes.ConsumeRandomLengthString(32));
      entry.members.push_back(member);
    }
    project.classes.push_back(entry);
  }
  return project;
}

TProjectModel WithTexts(TProjectModel project, const std::string& text) {
  for (TClassModel& entry : project.classes) {
    entry.friendName = text;
    for (TMember& member : entry.members) member.SetMemberComment(text);
  }
  return project;
}

// The whole table script and the upgrade script to the project from the project without its last class;
// each refuses an unsafe project as a whole, so they are asked only for a safe one.
void GenerateScripts(const TProjectModel& project, std::map<std::string, std::string>& files) {
  try {
    files["script.sql"] = TDataBaseSql().BuildScript(project);
  } catch (const TProjectProblemError&) {
    files["script.sql"] = "refused";
  }
  TProjectModel from = project;
  from.classes.pop_back();
  TUpgradeOptions options;
  options.matchById = false;  // the classes built here have no member ids
  options.fromLabel = project.classes.front().friendName;
  try {
    files["upgrade.sql"] = BuildUpgradeScript(from, project, options).text;
  } catch (const TProjectProblemError&) {
    files["upgrade.sql"] = "refused";
  }
}

// Every generated text of the project by file name; a class the generators cannot take (no key, a type
// naming nothing) leaves its files out, as a run stops before it.
std::map<std::string, std::string> Generate(const TProjectModel& project, bool scripts) {
  std::map<std::string, std::string> files;
  const TClassIndex classes(project);
  for (const TClassModel& entry : project.classes) {
    const std::string tag = std::to_string(entry.classId);
    try {
      files[tag + ".entity.cs"] = TEntityOperate::EntityText(entry, classes);
    } catch (const TGenerationError&) {
    }
    try {
      files[tag + ".bll.cs"] = TBLLOperate::BLLText(entry);
      TDALOperate dal;
      dal.LoadClass(entry, classes);
      files[tag + ".dal.cs"] = dal.DALText();
    } catch (const TGenerationError&) {
    }
    files[tag + ".sql"] = TDataBaseSql::ClassScript(entry, classes);
  }
  try {
    for (const TPageOperate::TPageFile& file : TPageOperate::MakePages(project)) files[file.path] = file.text;
  } catch (const TGenerationError&) {
  }
  if (scripts) GenerateScripts(project, files);
  return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider bytes(data, size);
  const TProjectModel project = ProjectOf(bytes);
  const std::vector<TProblem> problems = CheckProject(project);
  bool namesSound = true, safe = true;
  for (const TProblem& problem : problems) {
    RequirePrintable(problem.message, "a problem");
    if (problem.kind == TProblemKind::ProjectName || problem.kind == TProblemKind::ClassName ||
        problem.kind == TProblemKind::MemberName)
      namesSound = false;
    if (IsUnsafe(problem.kind)) safe = false;
  }
  // Names the checker refuses are code the generators are never asked to write; texts are the generators'
  // own concern, checked or not.
  if (!namesSound) return 0;
  const std::map<std::string, std::string> files = Generate(project, safe);
  const std::map<std::string, std::string> plain = Generate(WithTexts(project, "X"), safe);
  FUZZ_REQUIRE(files.size() == plain.size(), "%zu files, %zu with plain texts", files.size(), plain.size());
  for (const auto& [path, text] : files) {
    FUZZ_REQUIRE(CodeShape::Of(path, text) == CodeShape::Of(path, plain.at(path)), "a text changed the code of %s",
                 path.c_str());
    if (safe) FUZZ_REQUIRE(GbkText::CanEncode(text), "%s does not encode to GBK", path.c_str());
  }
  return 0;
}
