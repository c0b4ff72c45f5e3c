#include "generation/DataBaseSql.h"

#include <string>
#include <utility>
#include <vector>

#include "catalogue/DbHelper.h"
#include "model/Member.h"
#include "model/ClassIndex.h"
#include "catalogue/ModelStore.h"
#include "model/NameRules.h"
#include "model/ProjectChecker.h"

namespace {

const char* const kCrLf = "\r\n";

// The user table every generated site logs in with, and its administrator row.
// The password is stored as the uppercase hexadecimal MD5 digest of the default one.
const char* const kUserTable =
    "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[CusUsers]') and "
    "OBJECTPROPERTY(id, N'IsUserTable') = 1)drop table [dbo].[CusUsers]\r\n"
    "GO\r\n\r\n"
    "CREATE TABLE [dbo].[CusUsers] (\r\n"
    "\t[customerid] [int] IDENTITY (1, 1) NOT NULL PRIMARY KEY ,\r\n"
    "\t[Customername] [nvarchar] (50) COLLATE Chinese_PRC_CI_AS NULL ,\r\n"
    "\t[customerpwd] [varchar] (50) COLLATE Chinese_PRC_CI_AS NULL ,\r\n"
    "\t[Realname] [nvarchar] (50) COLLATE Chinese_PRC_CI_AS NULL ,\r\n"
    "\t[CustomerSfz] [nvarchar] (50) COLLATE Chinese_PRC_CI_AS NULL ,\r\n"
    "\t[address] [nvarchar] (50) COLLATE Chinese_PRC_CI_AS NULL ,\r\n"
    "\t[telphone] [varchar] (30) COLLATE Chinese_PRC_CI_AS NULL ,\r\n"
    "\t[IsCusAdmin] [int] NULL ,\r\n"
    "\t[CusType] [int] NULL \r\n"
    ") ON [PRIMARY]\r\n"
    "insert into CusUsers(Customername,customerpwd,IsCusAdmin,CusType) values ('admin','"
    "7C4E19A0B53D28F6E1A9047D3B6C52E8"
    "',0,0)\r\n"
    "GO\r\n\r\n\r\n\r\n";

const char* const kTableEnd = ") ON [PRIMARY]\r\nGO\r\n\r\n\r\n\r\n";

// A catalogue text inside a "--" comment: folded by NameRules::CommentText (a line break would end the
// comment and turn the rest into statements), then in its printable form, so bytes that are not UTF-8
// reach the script as \xNN rather than raw.
std::string CommentSafe(const std::string& name) {
  return NameRules::Printable(NameRules::CommentText(name));
}

std::string StringKeyColumnType(int length) {
  return "] [varchar] (" + std::to_string(length) + ") COLLATE Chinese_PRC_CI_AS NOT NULL";
}

// One line of a table's column list, without its line end. The column lines end
// with " ," (the integer key line with ","): the comma goes from the last one.
struct TColumnLine {
  std::string text;
  bool isColumn;
};

class TScriptBuilder {
 public:
  explicit TScriptBuilder(const TClassIndex& classes) : FProject(classes.Project()), FClasses(classes) {}

  std::string Build() {
    FScript = kUserTable;
    for (const TClassModel& entry : FProject.classes) AppendClass(entry);
    FScript += FForeignKeys;
    return std::move(FScript);
  }

  // The class's table (or the comment standing in for it) followed by its own foreign keys.
  std::string BuildClass(const TClassModel& entry) {
    AppendClass(entry);
    return FScript + FForeignKeys;
  }

  // The CREATE TABLE statement alone, up to its ") ON [PRIMARY]" line.
  std::string BuildCreateTable(const TClassModel& entry) {
    AppendClass(entry, false);
    return FScript.substr(0, FScript.size() - (std::char_traits<char>::length(kTableEnd) - kTableLineLength));
  }

 private:
  // ") ON [PRIMARY]\r\n": the part of kTableEnd that belongs to the statement.
  static constexpr std::size_t kTableLineLength = 16;

  void AppendClass(const TClassModel& entry, bool dropFirst = true) {
    const std::string& className = entry.className;
    const TMember* key = entry.KeyMember();
    if (key == nullptr) {
      FScript += "-- 类 " + CommentSafe(className) + " 没有主键成员，未生成该表" + kCrLf + kCrLf + kCrLf + kCrLf;
      return;
    }

    if (dropFirst) {
      FScript += "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[" + className +
                 "]') and OBJECTPROPERTY(id, N'IsUserTable') = 1)" + kCrLf;
      FScript += "drop table [dbo].[" + className + "]" + kCrLf;
      FScript += std::string("GO") + kCrLf + kCrLf;
    }
    FScript += "CREATE TABLE [dbo].[" + className + "] (" + kCrLf;

    std::vector<TColumnLine> lines;
    if (key->GetMemberIsInteger() == 1)
      lines.push_back({"\t[" + key->GetMemberName() + "] [int] IDENTITY (1, 1) NOT NULL  PRIMARY KEY,", true});
    else
      lines.push_back(
          {"\t[" + key->GetMemberName() + StringKeyColumnType(key->GetMemberLength()) + " PRIMARY KEY ,", true});

    // The other columns are the members with memberIsPri 0, in catalogue order.
    for (const TMember& member : entry.members)
      if (member.GetMemberIsPri() == 0)
        lines.push_back(MemberLine(className, member.GetMemberName(), member.GetMemberType(), member.GetMemberLength(),
                                   member.GetMemberIsMust()));

    // The key line is always a column, so there is a last column to lose its comma.
    std::size_t last = lines.size() - 1;
    while (!lines[last].isColumn) --last;
    lines[last].text.pop_back();
    for (const TColumnLine& line : lines) FScript += line.text + kCrLf;
    FScript += kTableEnd;
  }

  TColumnLine MemberLine(const std::string& className, const std::string& name, const std::string& type, int length,
                         int isMust) {
    const std::string start = "\t[" + name;
    if (type == MemberTypes::kString)
      return {start + "] [varchar] (" + std::to_string(length) + ") COLLATE Chinese_PRC_CI_AS " +
                  (isMust == 1 ? "NOT NULL ," : "NULL ,"),
              true};
    if (type == MemberTypes::kInteger) return {start + "] [int] NOT NULL ,", true};
    if (type == MemberTypes::kFloat) return {start + "] [float] NOT NULL ,", true};
    if (type == MemberTypes::kDate) return {start + "] [datetime] NULL ,", true};
    if (type == MemberTypes::kPicture) return {start + "] [varchar] (50) COLLATE Chinese_PRC_CI_AS NULL ,", true};

    // Any other type names a class of the project: the column holds that class's key.
    const TClassModel* referenced = FClasses.Find(type);
    const TMember* target = referenced != nullptr ? referenced->KeyMember() : nullptr;
    if (target == nullptr)
      return {"\t-- 类 " + CommentSafe(className) + " 的成员 " + CommentSafe(name) + " 的类型 " + CommentSafe(type) +
                  " 不是本项目中有主键的类，未生成该列及其外键",
              false};
    FForeignKeys += "ALTER TABLE " + className + " ADD FOREIGN KEY (" + name + ") REFERENCES " + type + "(" +
                    target->GetMemberName() + ")" + kCrLf;
    if (target->GetMemberIsInteger() == 1) return {start + "] int NOT NULL ,", true};
    return {start + StringKeyColumnType(target->GetMemberLength()) + " ,", true};
  }

  const TProjectModel& FProject;
  const TClassIndex& FClasses;
  std::string FScript;       // the user table, then the tables of the classes
  std::string FForeignKeys;  // one statement per class-typed member, in the order met
};

}  // namespace

std::string TDataBaseSql::BuildScript(const TProjectModel& project) {
  RefuseUnsafeProject(project);
  const TClassIndex classes(project);
  return TScriptBuilder(classes).Build();
}

std::string TDataBaseSql::ClassScript(const TClassModel& entry, const TClassIndex& classes) {
  return TScriptBuilder(classes).BuildClass(entry);
}

std::string TDataBaseSql::CreateTableText(const TClassModel& entry, const TClassIndex& classes) {
  return TScriptBuilder(classes).BuildCreateTable(entry);
}

std::string TDataBaseSql::BuildScript(int projectId) {
  return BuildScript(TModelStore().LoadProject(projectId));
}
