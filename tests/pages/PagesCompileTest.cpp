#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "catalogue/ClassDAO.h"
#include "catalogue/DbHelper.h"
#include "catalogue/ProjectDAO.h"
#include "pages/PagesTestSupport.h"
#include "support/FileBytes.h"
#include "support/RunProgram.h"
#include "support/TempCatalogue.h"

namespace {

// Compiles every C# file of a generated site (the layers, the page data access, the pages' code-behind
// and the template's pages) as one library; the compiler's output, empty when it had nothing to say.
std::string CompileSite(const std::string& site, int* status) {
  const std::string log = site + "/../mcs.log";
  const std::string command =
      "cd " + ShellQuote(site) +
      " && mcs -target:library -codepage:936 -nologo -warn:4 -out:../site.dll"
      " -r:System.Data -r:System.Web -r:System.Xml.Linq -r:System.Core -r:System.Configuration"
      " App_Code/ENTITY/*.cs App_Code/BLL/*.cs App_Code/DAL/*.cs Admin/*.cs RegUsers.aspx.cs >" +
      ShellQuote(log) + " 2>&1";
  *status = std::system(command.c_str());
  return ReadFileBytes(log);
}

// A project of integer keys only, with two references to one class, a long text and Chinese names.
int MakeLoanProject() {
  TProjectDAO().AddProject("Loans");
  const int p = TProjectDAO().ListProjects().back().id;
  TClassDAO classes;
  classes.AddClass(p, "Person", "人员");
  classes.AddClass(p, "Loan", "借阅记录");
  const TNameIdList list = classes.ListClassesOfProject(p);
  AddShopMember(p, list[0].id, "id", MemberTypes::kInteger, true, "编号");
  AddShopMember(p, list[0].id, "name", MemberTypes::kString, false, "姓名");
  AddShopMember(p, list[1].id, "id", MemberTypes::kInteger, true, "编号");
  AddShopMember(p, list[1].id, "lender", "Person", false, "出借人");
  AddShopMember(p, list[1].id, "borrower", "Person", false, "借入人");
  AddShopMember(p, list[1].id, "amount", MemberTypes::kFloat, false, "金额");
  AddShopMember(p, list[1].id, "note", MemberTypes::kString, false, "备注");
  const auto sql = [](const std::string& statement) { TDbHelper().ExecSql(statement); };
  sql("update t_member set memberIsDisplay=1 where projectId=" + std::to_string(p) +
      " and (memberName='name' or (classId=" + std::to_string(list[1].id) + " and memberIsPri=1))");
  sql("update t_member set memberLength=400 where memberName='note'");
  sql("update t_member set queryFlag=1, memberIsMust=1 where classId=" + std::to_string(list[1].id) +
      " and memberIsPri=0");
  return p;
}

}  // namespace

// The whole site with its pages compiles with Mono's compiler without an error or a warning: the
// Shop project (every member type, integer and text keys, references to both, Chinese friendly names,
// a class with no shown or searched member) and a project with two references to one class.
TEST(PagesCompile, TheWholeSiteCompilesWithoutErrorsOrWarnings) {
  ASSERT_EQ(std::system("command -v mcs >/dev/null 2>&1"), 0) << "Mono's mcs is missing: run scripts/install-deps";
  TTempCatalogue catalogue;
  const TShopProject shop = MakePagesShopProject();
  const int loans = MakeLoanProject();
  for (const auto& [id, name] : {std::pair<int, std::string>{shop.projectId, "Shop"}, {loans, "Loans"}}) {
    SCOPED_TRACE(name);
    const TRecordingObserver run = GenerateWithPages(id, name, catalogue.Folder());
    ASSERT_EQ(run.outcomes, std::vector<std::string>{"done"});
    int status = 0;
    const std::string output = CompileSite(catalogue.Folder() + "/projects/" + name, &status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output, "") << output;
  }
}
