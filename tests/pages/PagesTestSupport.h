#pragma once

#include <string>
#include <utility>
#include <vector>

#include "catalogue/ClassDAO.h"
#include "catalogue/DbHelper.h"
#include "catalogue/ProjectDAO.h"
#include "generation/AutoCode.h"
#include "generation/DataBaseSql.h"
#include "support/RecordingObserver.h"
#include "support/ShopProject.h"

// The Shop project set up for its admin pages: Category and PublishHouse are named in drop-downs by
// their name, Book is searched by title, date, category and publisher, its price and stock are no
// columns of the list and its title is required; tag has no shown and no searched member.
inline TShopProject MakePagesShopProject() {
  const TShopProject shop = MakeGeneratableShopProject();
  const std::string book = std::to_string(shop.classes[2].id);
  const auto sql = [](const std::string& statement) { TDbHelper().ExecSql(statement); };
  for (int index : {0, 1}) {
    const std::string id = std::to_string(shop.classes[index].id);
    sql("update t_member set memberIsDisplay=(memberName='name') where classId=" + id);
  }
  sql("update t_member set queryFlag=1 where classId=" + book +
      " and memberName in ('title','published','categoryId','houseCode')");
  sql("update t_member set memberQueryDisplay=0 where classId=" + book + " and memberName in ('price','stock')");
  sql("update t_member set memberIsMust=1 where classId=" + book + " and memberName='title'");
  sql("update t_member set memberQueryDisplay=0 where classId=" + std::to_string(shop.classes[3].id));
  return shop;
}

// Adds a project with its classes (name, friendly name) in this order: its id and the classes'.
inline std::pair<int, TNameIdList> AddProjectWithClasses(
    const std::string& name, const std::vector<std::pair<std::string, std::string>>& classes) {
  TProjectDAO().AddProject(name);
  const int projectId = TProjectDAO().ListProjects().back().id;
  for (const auto& [className, friendName] : classes) TClassDAO().AddClass(projectId, className, friendName);
  return {projectId, TClassDAO().ListClassesOfProject(projectId)};
}

// A project "Loans" of integer keys: Person (id, name as its display member) and Loan, which refers to
// Person twice (lender, borrower) and has a float, a date and a long text without a comment. Every member
// of Loan but its key is searched; the lender, amount and date are required, the note is no column of the
// list. Its pages are the ones written out by hand in tests/data/pages/Loans.
inline int MakeLoansProject() {
  const auto [p, list] = AddProjectWithClasses("Loans", {{"Person", "人员"}, {"Loan", "借阅记录"}});
  const std::string person = std::to_string(list[0].id), loan = std::to_string(list[1].id);
  AddShopMember(p, list[0].id, "id", MemberTypes::kInteger, true, "编号");
  AddShopMember(p, list[0].id, "name", MemberTypes::kString, false, "姓名");
  AddShopMember(p, list[1].id, "id", MemberTypes::kInteger, true, "编号");
  AddShopMember(p, list[1].id, "lender", "Person", false, "出借人");
  AddShopMember(p, list[1].id, "borrower", "Person", false, "借入人");
  AddShopMember(p, list[1].id, "amount", MemberTypes::kFloat, false, "金额");
  AddShopMember(p, list[1].id, "lentOn", MemberTypes::kDate, false, "借出日期");
  AddShopMember(p, list[1].id, "note", MemberTypes::kString, false, "");
  const auto sql = [](const std::string& statement) { TDbHelper().ExecSql(statement); };
  sql("update t_member set memberIsDisplay=1 where (classId=" + person + " and memberName='name') or (classId=" + loan +
      " and memberIsPri=1)");
  sql("update t_member set memberLength=20 where classId=" + person + " and memberName='name'");
  sql("update t_member set memberLength=400, memberQueryDisplay=0 where classId=" + loan + " and memberName='note'");
  sql("update t_member set queryFlag=1 where classId=" + loan + " and memberIsPri=0");
  sql("update t_member set memberIsMust=1 where classId=" + loan + " and memberName in ('lender','amount','lentOn')");
  return p;
}

// A project "Names" whose names meet the pages' own: classes called Value, Problem and Error (words the
// pages' code uses for its variables), Problem with members called value, problem, count, text and path,
// every type, every member searched, required and shown, and two references to Value, whose key is a
// text; Error has no shown and no searched member.
inline int MakeNamesProject() {
  const auto [p, list] = AddProjectWithClasses("Names", {{"Value", "值"}, {"Problem", "问题"}, {"Error", "错误"}});
  const std::string value = std::to_string(list[0].id), problem = std::to_string(list[1].id),
                    error = std::to_string(list[2].id);
  AddShopMember(p, list[0].id, "code", MemberTypes::kString, true, "代码");
  AddShopMember(p, list[0].id, "title", MemberTypes::kString, false, "名称");
  AddShopMember(p, list[1].id, "id", MemberTypes::kInteger, true, "编号");
  AddShopMember(p, list[1].id, "first", "Value", false, "首选");
  AddShopMember(p, list[1].id, "second", "Value", false, "次选");
  AddShopMember(p, list[1].id, "value", MemberTypes::kInteger, false, "数值");
  AddShopMember(p, list[1].id, "count", MemberTypes::kFloat, false, "数量");
  AddShopMember(p, list[1].id, "problem", MemberTypes::kString, false, "问题");
  AddShopMember(p, list[1].id, "text", MemberTypes::kString, false, "说明");
  AddShopMember(p, list[1].id, "path", MemberTypes::kPicture, false, "图片");
  AddShopMember(p, list[1].id, "due", MemberTypes::kDate, false, "期限");
  AddShopMember(p, list[2].id, "id", MemberTypes::kInteger, true, "编号");
  const auto sql = [](const std::string& statement) { TDbHelper().ExecSql(statement); };
  sql("update t_member set memberLength=10 where classId=" + value + " and memberName='code'");
  sql("update t_member set memberLength=2000 where classId=" + problem + " and memberName='text'");
  sql("update t_member set memberIsDisplay=1 where (classId=" + value + " and memberName='title') or (classId in (" +
      problem + "," + error + ") and memberIsPri=1)");
  sql("update t_member set queryFlag=1, memberIsMust=1 where classId=" + problem);
  sql("update t_member set memberQueryDisplay=0 where classId=" + error);
  return p;
}

// Runs the generation of a project with its pages into folder/projects/<name>; the outcomes as recorded.
inline TRecordingObserver GenerateWithPages(int projectId, const std::string& name, const std::string& folder,
                                            bool pages = true) {
  TRecordingObserver observer;
  TAutoCode run(TGenerationTarget{projectId, name, folder, CORVANTHEL_BIN_DIR "/bak"}, "corvanthel", observer,
                TSiteOptions{false, false, pages});
  run.Execute();
  return observer;
}
