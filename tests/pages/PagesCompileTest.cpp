#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

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

}  // namespace

// The whole site with its pages compiles with Mono's compiler without an error or a warning: the
// Shop project (every member type, integer and text keys, references to both, Chinese friendly names,
// a class with no shown or searched member), Loans (two references to one class) and Names (classes and
// members named like the pages' own variables, every member of a class searched and required, two
// references to a text key).
TEST(PagesCompile, TheWholeSiteCompilesWithoutErrorsOrWarnings) {
  ASSERT_EQ(std::system("command -v mcs >/dev/null 2>&1"), 0) << "Mono's mcs is missing: run scripts/install-deps";
  TTempCatalogue catalogue;
  const TShopProject shop = MakePagesShopProject();
  const int loans = MakeLoansProject();
  const int names = MakeNamesProject();
  for (const auto& [id, name] :
       {std::pair<int, std::string>{shop.projectId, "Shop"}, {loans, "Loans"}, {names, "Names"}}) {
    SCOPED_TRACE(name);
    const TRecordingObserver run = GenerateWithPages(id, name, catalogue.Folder());
    ASSERT_EQ(run.outcomes, std::vector<std::string>{"done"});
    int status = 0;
    const std::string output = CompileSite(catalogue.Folder() + "/projects/" + name, &status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output, "") << output;
  }
}
