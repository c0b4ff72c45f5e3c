#include "model/ProjectChecker.h"

#include "model/Member.h"
#include "model/ClassIndex.h"
#include "model/NameRules.h"

namespace CheckerTexts {

std::string PrimaryKeyError(const std::string& className) {
  return className + "表主键设置错误，每个类只能设置一个主键!";
}

std::string DisplayMemberError(const std::string& className) {
  return className + "表显示成员设置错误，每个类有且只能设置一个显示成员!";
}

std::string ReferenceError(const std::string& className, const std::string& memberName, const std::string& memberType) {
  return className + "表的成员" + memberName + "的类型" + memberType + "不存在或没有唯一主键!";
}

std::string PagesNameError(const std::string& className, const std::string& pagesOf) {
  return "类" + className + "：它的数据访问文件dal" + className + ".cs与类" + pagesOf +
         "的管理页面数据访问文件同名，请更改类名后再生成管理页面!";
}

}  // namespace CheckerTexts

namespace {

// The subject of a message, shown so that no raw byte or control character of a hostile name reaches it.
std::string ProjectSubject(const std::string& projectName) {
  return "工程" + NameRules::Printable(projectName) + "：";
}
std::string ClassSubject(const std::string& className) {
  return "类" + NameRules::Printable(className) + "：";
}
std::string MemberSubject(const std::string& className, const std::string& memberName) {
  return "类" + NameRules::Printable(className) + "的成员" + NameRules::Printable(memberName) + "：";
}

class TChecker {
 public:
  explicit TChecker(const TProjectModel& project) : FProject(project), FClasses(project) {}

  std::vector<TProblem> Run() {
    FProblems = CheckProjectName(FProject.projectName);
    for (std::size_t i = 0; i < FProject.classes.size(); ++i) CheckClass(i);
    return std::move(FProblems);
  }

 private:
  void CheckClass(std::size_t index) {
    const TClassModel& entry = FProject.classes[index];
    const std::string& name = entry.className;
    // Catalogues made elsewhere may hold a class starting with a small letter; the generators take it.
    std::string problem = NameRules::ClassNameProblem(name, false);
    // The index answers with the first class of the name in any case: a later one is taken.
    if (problem.empty() && FClasses.Find(name) != &entry) problem = NameRules::kClassNameTakenMessage;
    if (!problem.empty()) Add(TProblemKind::ClassName, entry, "", ClassSubject(name) + problem);
    problem = NameRules::TextProblem(entry.friendName);
    if (!problem.empty()) Add(TProblemKind::Text, entry, "", ClassSubject(name) + problem);

    if (entry.CountKeyMembers() != 1)
      Add(TProblemKind::KeyMembers, entry, "", CheckerTexts::PrimaryKeyError(NameRules::Printable(name)));
    if (entry.CountDisplayMembers() != 1)
      Add(TProblemKind::DisplayMembers, entry, "", CheckerTexts::DisplayMemberError(NameRules::Printable(name)));

    for (std::size_t m = 0; m < entry.members.size(); ++m) CheckMember(entry, m);
  }

  void CheckMember(const TClassModel& entry, std::size_t index) {
    const TMember& member = entry.members[index];
    const std::string& name = member.GetMemberName();
    // Made only for a message: most members have none.
    const auto subject = [&entry, &name] { return MemberSubject(entry.className, name); };
    std::string problem = NameRules::MemberNameProblem(name, entry.className, false);
    if (problem.empty())
      for (std::size_t j = 0; j < index; ++j)
        if (NameRules::SameNameIgnoringCase(entry.members[j].GetMemberName(), name))
          problem = NameRules::kMemberNameTakenMessage;
    if (!problem.empty()) Add(TProblemKind::MemberName, entry, name, subject() + problem);

    const std::string& type = member.GetMemberType();
    if (type == MemberTypes::kString) {
      problem = NameRules::StringLengthProblem(member.GetMemberLength());
      if (!problem.empty()) Add(TProblemKind::Length, entry, name, subject() + problem);
    }
    problem = NameRules::TextProblem(member.GetMemberComment());
    if (!problem.empty()) Add(TProblemKind::Text, entry, name, subject() + problem);

    // The catalogue, the generators and the script all find a referenced class without regard to case.
    if (!MemberTypes::IsBuiltIn(type) && FClasses.Find(type) == nullptr) {
      Add(TProblemKind::Reference, entry, name,
          CheckerTexts::ReferenceError(NameRules::Printable(entry.className), NameRules::Printable(name),
                                        NameRules::Printable(type)));
      FProblems.back().memberType = type;
    }
  }

  void Add(TProblemKind kind, const TClassModel& entry, const std::string& memberName, const std::string& message) {
    FProblems.push_back({kind, entry.classId, entry.className, memberName, message, ""});
  }

  const TProjectModel& FProject;
  const TClassIndex FClasses;
  std::vector<TProblem> FProblems;
};

}  // namespace

std::vector<TProblem> CheckProject(const TProjectModel& project) {
  return TChecker(project).Run();
}

std::vector<TProblem> CheckPages(const TProjectModel& project) {
  const TClassIndex classes(project);
  std::vector<TProblem> problems;
  for (const TClassModel& entry : project.classes) {
    const TClassModel* named = classes.Find(entry.className + "Pages");
    if (named != nullptr)
      problems.push_back(
          {TProblemKind::ClassName, named->classId, named->className, "",
           CheckerTexts::PagesNameError(NameRules::Printable(named->className), NameRules::Printable(entry.className)),
           ""});
  }
  return problems;
}

std::vector<TProblem> CheckProjectName(const std::string& projectName) {
  const std::string problem = NameRules::ProjectNameProblem(projectName);
  if (problem.empty()) return {};
  return {{TProblemKind::ProjectName, 0, "", "", ProjectSubject(projectName) + problem, ""}};
}

bool IsUnsafe(TProblemKind kind) {
  return kind != TProblemKind::KeyMembers && kind != TProblemKind::DisplayMembers && kind != TProblemKind::Reference;
}

const TProblem* FirstProblemOfRun(const std::vector<TProblem>& problems) {
  // Unsafe problems first: nothing may be written while one is left.
  for (const TProblem& problem : problems)
    if (IsUnsafe(problem.kind)) return &problem;
  for (TProblemKind kind : {TProblemKind::KeyMembers, TProblemKind::DisplayMembers, TProblemKind::Reference})
    for (const TProblem& problem : problems)
      if (problem.kind == kind) return &problem;
  return nullptr;
}

void RefuseUnsafeProject(const TProjectModel& project) {
  for (const TProblem& problem : CheckProject(project))
    if (IsUnsafe(problem.kind)) throw TProjectProblemError(problem.message);
}
