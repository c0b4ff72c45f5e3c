// Our own table script, imported, gives the project back: the import reads each column text the
// script writes as the member type that wrote it. The command-line test compares the scripts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "generation/DataBaseSql.h"
#include "catalogue/ModelStore.h"
#include "transfer/tsql/SqlImport.h"
#include "support/ShopProject.h"
#include "support/TempCatalogue.h"

TEST(SqlRoundTrip, TheShopScriptImportedGivesTheShopProjectBack) {
  TTempCatalogue catalogue;
  const TShopProject shop = MakeShopProject();
  const std::string script = TDataBaseSql().BuildScript(shop.projectId);

  const TSqlImportResult result = ImportSqlScript(script, "Shop2");
  ASSERT_EQ(result.project.classes.size(), 4u);
  EXPECT_EQ(result.tableCount, 5);  // with the template's CusUsers, which is not imported
  // tag becomes Tag: class names start upper case; SQL Server's case-insensitive names keep it one table.
  EXPECT_EQ(result.adaptedNames, 1);

  // Member by member: the same types, both key kinds, references to an integer and a text key. The
  // script cannot carry friendly names, comments or pictures (written as varchar (50), read as text).
  const TProjectModel original = TModelStore().LoadProject(shop.projectId);
  for (std::size_t c = 0; c < original.classes.size(); ++c) {
    const TClassModel& before = original.classes[c];
    const TClassModel& after = result.project.classes[c];
    EXPECT_EQ(after.friendName, before.className);  // without a description, the table's name
    ASSERT_EQ(after.members.size(), before.members.size()) << before.className;
    // The script writes the key first; the import keeps the script's column order.
    const TMember* key = before.KeyMember();
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(after.members[0].GetMemberName(), key->GetMemberName());
    EXPECT_EQ(after.members[0].GetMemberIsPri(), 1);
    EXPECT_EQ(after.members[0].GetMemberIsInteger(), key->GetMemberIsInteger());
    for (const TMember& member : before.members) {
      const auto found = std::find_if(after.members.begin(), after.members.end(), [&member](const TMember& m) {
        return m.GetMemberName() == member.GetMemberName();
      });
      ASSERT_NE(found, after.members.end()) << member.GetMemberName();
      const bool picture = member.GetMemberType() == MemberTypes::kPicture;
      EXPECT_EQ(found->GetMemberType(), picture ? std::string(MemberTypes::kString) : member.GetMemberType())
          << member.GetMemberName();
      EXPECT_EQ(found->GetMemberLength(), picture ? 50 : member.GetMemberLength()) << member.GetMemberName();
      EXPECT_EQ(found->GetMemberIsPri(), member.GetMemberIsPri()) << member.GetMemberName();
      EXPECT_EQ(found->GetMemberComment(), "");
    }
  }
  EXPECT_EQ(result.project.classes[2].members[6].GetMemberType(), "Category");
  EXPECT_EQ(result.project.classes[2].members[7].GetMemberType(), "PublishHouse");
  EXPECT_EQ(result.project.classes[3].className, "Tag");
}
