#pragma once

#include <string>

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

// A project "Loans" of integer keys: Person (id, name as its display member) and Loan, which refers to
// Person twice (lender, borrower) and has a float, a date and a long text without a comment. Every member
// of Loan but its key is searched; the lender, amount and date are required, the note is no column of the
// list. Its pages are the ones written out by hand in tests/data/pages/Loans.
inline int MakeLoansProject() {
  TProjectDAO().AddProject("Loans");
  const int p = TProjectDAO().ListProjects().back().id;
  TClassDAO classes;
  classes.AddClass(p, "Person", "人员");
  classes.AddClass(p, "Loan", "借阅记录");
  const TNameIdList list = classes.ListClassesOfProject(p);
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

// Runs the generation of a project with its pages into folder/projects/<name>; the outcomes as recorded.
inline TRecordingObserver GenerateWithPages(int projectId, const std::string& name, const std::string& folder,
                                            bool pages = true) {
  TRecordingObserver observer;
  TAutoCode run(TGenerationTarget{projectId, name, folder, CORVANTHEL_BIN_DIR "/bak"}, "corvanthel", observer,
                TSiteOptions{false, false, pages});
  run.Execute();
  return observer;
}
