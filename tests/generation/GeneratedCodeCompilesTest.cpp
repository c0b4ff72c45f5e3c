#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "generation/BLLOperate.h"
#include "generation/DALOperate.h"
#include "generation/EntityOperate.h"
#include "site/SiteWriter.h"
#include "catalogue/ModelStore.h"
#include "support/FileBytes.h"
#include "support/ShopProject.h"
#include "support/TempCatalogue.h"

// The generated layers of a project that uses every member type and both key kinds,
// together with the template site's DBHelp, must build as one C# library with Mono's
// compiler. The generated files are GBK, hence code page 936.
TEST(GeneratedCode, CompilesWithTheTemplateDataAccessHelper) {
  ASSERT_EQ(std::system("command -v mcs >/dev/null 2>&1"), 0) << "Mono's mcs is missing: run scripts/install-deps";

  TTempCatalogue catalogue;
  const TShopProject shop = MakeShopProject();
  const TGenerationTarget target{shop.projectId, "Shop", catalogue.Folder()};
  TSiteWriter writer(target, {});
  const TProjectModel project = TModelStore().LoadProject(shop.projectId);
  TEntityOperate::MakeEntityFile("corvanthel", project, writer, nullptr);
  TBLLOperate::MakeBLLFile("corvanthel", project, writer, nullptr);
  TDALOperate().MakeDALFile("corvanthel", project, writer, nullptr);

  const std::string site = catalogue.Folder() + "/projects/Shop";
  const std::string log = catalogue.Folder() + "/mcs.log";
  const std::string command = "cd '" + site +
                              "' && mcs -target:library -codepage:936 -nologo -out:site.dll"
                              " -r:System.Data -r:System.Web -r:System.Xml.Linq -r:System.Core -r:System.Configuration"
                              " App_Code/ENTITY/*.cs App_Code/BLL/*.cs App_Code/DAL/*.cs"
                              " '" CORVANTHEL_SOURCE_DIR "/template/bak/App_Code/DAL/DBHelp.cs' >'" +
                              log + "' 2>&1";
  const int status = std::system(command.c_str());
  const std::string output = ReadFileBytes(log);

  EXPECT_EQ(status, 0) << output;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) EXPECT_EQ(line.find("error"), std::string::npos) << line;
  EXPECT_FALSE(ReadFileBytes(site + "/site.dll").empty());
}
