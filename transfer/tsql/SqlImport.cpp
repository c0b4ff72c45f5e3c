#include "transfer/tsql/SqlImport.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <unordered_map>

#include "model/Member.h"
#include "model/NameRules.h"
#include "transfer/tsql/SqlScriptReader.h"
#include "transfer/tsql/SqlScriptText.h"

namespace {

constexpr int kLongestText = 8000;

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool OneOf(const std::string& lowerName, std::initializer_list<const char*> names) {
  for (const char* name : names)
    if (lowerName == name) return true;
  return false;
}

// The member type of a SQL Server type. The table script writes 字符串 as varchar (length), 整型 as int,
// 浮点型 as float, 日期型 as datetime and 图片型 as varchar (50); reading each back gives the same type.
struct TMappedType {
  std::string type;
  int length = 0;
  std::string note;  // why the length is approximate; empty when it is exact
};

bool IsSystemType(const std::string& lowerName) {
  return OneOf(lowerName, {"bit",         "tinyint",        "smallint",
                           "int",         "integer",        "bigint",
                           "float",       "real",           "decimal",
                           "dec",         "numeric",        "money",
                           "smallmoney",  "double",         "date",
                           "datetime",    "datetime2",      "smalldatetime",
                           "time",        "datetimeoffset", "image",
                           "binary",      "varbinary",      "timestamp",
                           "rowversion",  "char",           "varchar",
                           "nchar",       "nvarchar",       "character",
                           "text",        "ntext",          "uniqueidentifier",
                           "xml",         "sysname",        "sql_variant",
                           "hierarchyid", "geography",      "geometry"});
}

TMappedType MapType(const std::string& typeName, const std::string& length) {
  const std::string name = Lower(typeName);
  TMappedType mapped;
  if (OneOf(name, {"bit", "tinyint", "smallint", "int", "integer", "bigint"})) {
    mapped.type = MemberTypes::kInteger;
  } else if (OneOf(name, {"float", "real", "decimal", "dec", "numeric", "money", "smallmoney", "double"})) {
    mapped.type = MemberTypes::kFloat;
  } else if (OneOf(name, {"date", "datetime", "datetime2", "smalldatetime", "time", "datetimeoffset"})) {
    mapped.type = MemberTypes::kDate;
  } else if (OneOf(name, {"image", "binary", "varbinary", "timestamp", "rowversion"})) {
    mapped.type = MemberTypes::kPicture;
  } else {
    mapped.type = MemberTypes::kString;
    const std::string written = typeName + (length.empty() ? "" : "(" + length + ")");
    if (!length.empty() && std::all_of(length.begin(), length.end(), ::isdigit) && length.size() <= 9) {
      mapped.length = std::stoi(length);
      if (mapped.length > kLongestText) {
        mapped.length = kLongestText;
        mapped.note = "类型 " + written + " 导入为长度 8000 的字符串";
      }
    } else if (length.empty() && OneOf(name, {"char", "varchar", "nchar", "nvarchar", "character"})) {
      mapped.length = 1;  // what SQL Server gives these types without a length
    } else if (length.empty() && name == "uniqueidentifier") {
      mapped.length = 36;  // the length of its text form
    } else if (length.empty() && name == "sysname") {
      mapped.length = 128;
    } else {
      mapped.length = kLongestText;
      mapped.note = "类型 " + written + " 导入为长度 8000 的字符串";
    }
    if (mapped.length < 1) mapped.length = 1;
  }
  return mapped;
}

// A column's type and nullability with alias types replaced by their base type.
struct TResolvedColumn {
  TMappedType type;
  bool notNull = false;
};

TResolvedColumn Resolve(const TSqlColumn& column, const std::vector<TSqlAliasType>& aliases) {
  std::string typeName = column.typeName;
  std::string length = column.length;
  bool nullWritten = column.nullWritten;
  bool notNull = column.notNull;
  // An alias may name another alias; the bound stops a loop of them.
  for (int depth = 0; depth < 16 && !IsSystemType(Lower(typeName)); ++depth) {
    const auto alias = std::find_if(aliases.begin(), aliases.end(),
                                    [&typeName](const TSqlAliasType& a) { return SameName(a.name, typeName); });
    if (alias == aliases.end()) break;
    typeName = alias->typeName;
    length = alias->length;
    if (!nullWritten && alias->nullWritten) {
      nullWritten = true;
      notNull = alias->notNull;
    }
  }
  return {MapType(typeName, length), notNull};
}

// The member dialogs' first-letter rules: a class name starts upper case, a member name lower case.
// Only an ASCII letter changes; SQL Server's case-insensitive collations keep it the same name.
std::string AdaptFirstLetter(const std::string& name, bool upper) {
  if (name.empty()) return name;
  const unsigned char first = static_cast<unsigned char>(name[0]);
  if (first >= 0x80) return name;
  return static_cast<char>(upper ? std::toupper(first) : std::tolower(first)) + name.substr(1);
}

// One table on its way to a class.
struct TTablePlan {
  TSqlTable* table = nullptr;
  std::string className;
  bool imported = false;
  int keyColumn = -1;   // index into the table's columns
  std::string keyName;  // that column's name, kept when the columns go
};

class TMapper {
 public:
  // The schema's columns are let go table by table as their classes are made, so that a large script
  // is not held twice, as columns and as members.
  TMapper(TSqlSchema& schema, TSqlImportResult& result) : FSchema(schema), FResult(result) {}

  void Run() {
    // The reader keeps one description per table or column, the one SQL Server would hold.
    for (const TSqlDescription& entry : FSchema.descriptions)
      FDescriptions[DescriptionKey(entry.table, entry.column)] = entry.text;
    FTableLines.resize(FSchema.tables.size());
    for (TSqlTable& table : FSchema.tables) {
      FCurrent = FPlans.size();
      FPlans.push_back(PlanTable(table));
      FPlanByTable.emplace(Lower(table.name), FCurrent);  // the first table of a name, as SQL Server has one
    }
    FResult.project.classes.reserve(FPlans.size());
    for (std::size_t i = 0; i < FPlans.size(); ++i) {
      FCurrent = i;
      if (FPlans[i].imported) FResult.project.classes.push_back(MakeClass(FPlans[i]));
      std::vector<TSqlColumn>().swap(FPlans[i].table->columns);
    }
  }

  // The report lines, those of each table together in table order.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    for (const std::vector<std::string>& table : FTableLines) lines.insert(lines.end(), table.begin(), table.end());
    return lines;
  }

 private:
  void Report(const std::string& line) { FTableLines[FCurrent].push_back(line); }

  TTablePlan PlanTable(TSqlTable& table) {
    TTablePlan plan;
    plan.table = &table;
    if (SameName(table.name, "CusUsers")) {
      Report("表 " + table.name + ": 是模板站点的用户表，未导入");
      return plan;
    }
    plan.className = AdaptFirstLetter(table.name, true);
    const std::string refused = NameRules::ClassNameProblem(plan.className);
    if (!refused.empty()) {
      Report("表 " + table.name + ": 名称不能做类名（" + refused + "），已跳过");
      return plan;
    }
    const auto earlier = FImportedByClass.find(Lower(plan.className));
    if (earlier != FImportedByClass.end()) {
      Report("表 " + table.name + ": 与表 " + FPlans[earlier->second].table->name + " 同名，已跳过");
      return plan;
    }
    FImportedByClass.emplace(Lower(plan.className), FCurrent);
    plan.imported = true;
    if (plan.className != table.name) ++FResult.adaptedNames;
    plan.keyColumn = KeyColumn(table);
    if (plan.keyColumn >= 0) plan.keyName = table.columns[static_cast<std::size_t>(plan.keyColumn)].name;
    return plan;
  }

  int ColumnIndex(const TSqlTable& table, const std::string& name) const {
    for (std::size_t i = 0; i < table.columns.size(); ++i)
      if (SameName(table.columns[i].name, name)) return static_cast<int>(i);
    return -1;
  }

  // The single-column primary key that a class can hold as its key member; -1 (and a report line) else.
  int KeyColumn(const TSqlTable& table) {
    const std::string noKey = "，导入后没有主键成员，生成前请选一个主键";
    if (table.primaryKeys.empty()) {
      Report("表 " + table.name + ": 没有主键" + noKey);
      return -1;
    }
    const std::vector<std::string>& key = table.primaryKeys.front();
    if (key.size() != 1) {
      std::string columns;
      for (const std::string& column : key) columns += (columns.empty() ? "" : ", ") + column;
      Report("表 " + table.name + ": 主键由多列组成（" + columns + "）" + noKey);
      return -1;
    }
    const int index = ColumnIndex(table, key[0]);
    if (index < 0) {
      Report("表 " + table.name + " 列 " + key[0] + ": 主键列不在表中" + noKey);
      return -1;
    }
    const TSqlColumn& column = table.columns[static_cast<std::size_t>(index)];
    if (column.computed) {
      Report("表 " + table.name + " 列 " + column.name + ": 主键是计算列" + noKey);
      return -1;
    }
    const TMappedType type = Resolve(column, FSchema.aliasTypes).type;
    if (type.type != MemberTypes::kString && type.type != MemberTypes::kInteger) {
      Report("表 " + table.name + " 列 " + column.name + ": 主键类型 " + column.typeName +
             " 不能做主键（主键须是整型或字符串）" + noKey);
      return -1;
    }
    if (type.type == MemberTypes::kInteger && !column.identity && !column.sequence)
      Report("表 " + table.name + " 列 " + column.name + ": 整数主键没有 IDENTITY，导入后由数据库编号");
    return index;
  }

  const TTablePlan* FindPlan(const std::string& tableName) const {
    const auto found = FPlanByTable.find(Lower(tableName));
    return found == FPlanByTable.end() ? nullptr : &FPlans[found->second];
  }

  std::string Description(const std::string& table, const std::string& column) const {
    const auto found = FDescriptions.find(DescriptionKey(table, column));
    return found == FDescriptions.end() ? std::string() : found->second;
  }

  // A description on more than one line is folded onto one; one that would still break the generated code
  // or its GBK files is left out. Each with a line.
  std::string UsableText(std::string text, const std::string& where) {
    const std::string folded = NameRules::FoldControls(text);
    if (folded != text) {
      Report(where + "说明中的换行或控制字符已换成空格");
      text = folded;
    }
    const std::string problem = NameRules::TextProblem(text);
    if (problem.empty()) return text;
    Report(where + "说明未导入（" + problem + "）");
    return "";
  }

  static std::string DescriptionKey(const std::string& table, const std::string& column) {
    return Lower(table) + '\n' + Lower(column);
  }

  // The referenced class when the column's foreign key can be a reference member; empty (with a report
  // line) when the column stays a plain member of its own type.
  std::string ReferencedClass(const TTablePlan& plan, int columnIndex) {
    const TSqlTable& table = *plan.table;
    const TSqlColumn& column = table.columns[static_cast<std::size_t>(columnIndex)];
    const std::string where = "表 " + table.name + " 列 " + column.name + ": ";
    for (const TSqlForeignKey& key : table.foreignKeys) {
      if (std::none_of(key.columns.begin(), key.columns.end(),
                       [&column](const std::string& name) { return SameName(name, column.name); }))
        continue;
      const std::string plain = "，作为普通成员导入";
      if (key.columns.size() != 1) {
        Report(where + "外键由多列组成" + plain);
        return "";
      }
      if (columnIndex == plan.keyColumn) {
        Report(where + "主键同时是指向 " + key.table + " 的外键，外键未导入");
        return "";
      }
      const TTablePlan* target = FindPlan(key.table);
      if (target == nullptr || !target->imported) {
        Report(where + "外键指向的表 " + key.table + (target == nullptr ? " 不在脚本中" : " 未导入") + plain);
        return "";
      }
      if (target == &plan) {
        Report(where + "外键指向本表" + plain);
        return "";
      }
      const std::string& targetKey = target->keyName;
      if (targetKey.empty() || (!key.keyColumns.empty() && !SameName(key.keyColumns[0], targetKey))) {
        const std::string to = key.keyColumns.empty() ? "" : " 的列 " + key.keyColumns[0];
        Report(where + "外键指向 " + key.table + to + "，它不是该表的单列主键" + plain);
        return "";
      }
      return target->className;
    }
    return "";
  }

  TClassModel MakeClass(const TTablePlan& plan) {
    const TSqlTable& table = *plan.table;
    TClassModel entry;
    entry.className = plan.className;
    entry.members.reserve(table.columns.size());
    for (const std::string& note : table.notes) Report("表 " + table.name + ": " + note);
    entry.friendName = UsableText(Description(table.name, ""), "表 " + table.name + ": ");
    if (entry.friendName.empty()) entry.friendName = table.name;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
      const TSqlColumn& column = table.columns[i];
      const std::string where = "表 " + table.name + " 列 " + column.name + ": ";
      if (column.computed) {
        Report(where + "计算列，已跳过");
        continue;
      }
      const std::string name = AdaptFirstLetter(column.name, false);
      const std::string refused = NameRules::MemberNameProblem(name, entry.className);
      if (!refused.empty()) {
        Report(where + "名称不能做成员名（" + refused + "），已跳过");
        continue;
      }
      if (std::any_of(names.begin(), names.end(), [&name](const std::string& n) { return SameName(n, name); })) {
        Report(where + "与前面的列同名，已跳过");
        continue;
      }
      names.push_back(name);
      if (name != column.name) ++FResult.adaptedNames;

      const TResolvedColumn resolved = Resolve(column, FSchema.aliasTypes);
      const bool isKey = static_cast<int>(i) == plan.keyColumn;
      TMember member;
      member.SetMemberName(name);
      member.SetMemberComment(UsableText(Description(table.name, column.name), where));
      member.SetMemberIsPri(isKey ? 1 : 0);
      const std::string referenced = ReferencedClass(plan, static_cast<int>(i));
      if (!referenced.empty()) {
        member.SetMemberType(referenced);
      } else {
        member.SetMemberType(resolved.type.type);
        if (resolved.type.type == MemberTypes::kString) member.SetMemberLength(resolved.type.length);
        if (!resolved.type.note.empty()) Report(where + resolved.type.note);
      }
      // Text and picture members keep the column's nullability; the member dialogs require every
      // other type (numbers, dates, references) to be marked required.
      const bool optionalType =
          member.GetMemberType() == MemberTypes::kString || member.GetMemberType() == MemberTypes::kPicture;
      member.SetMemberIsMust(resolved.notNull || isKey || column.identity || !optionalType ? 1 : 0);
      for (const std::string& note : column.notes) Report(where + note);
      member.SetMemberIsInteger(member.GetMemberType() == MemberTypes::kInteger ? 1 : 0);
      member.SetMemberIsFloat(member.GetMemberType() == MemberTypes::kFloat ? 1 : 0);
      entry.members.push_back(std::move(member));
    }
    if (entry.members.empty()) Report("表 " + table.name + ": 没有可导入的列");
    SetDisplayMember(entry, table.name);
    return entry;
  }

  // The first non-key text member, else the key.
  void SetDisplayMember(TClassModel& entry, const std::string& tableName) {
    for (TMember& member : entry.members) {
      if (member.GetMemberIsPri() == 0 && member.GetMemberType() == MemberTypes::kString) {
        member.SetMemberIsDisplay(1);
        return;
      }
    }
    for (TMember& member : entry.members) {
      if (member.GetMemberIsPri() == 1) {
        member.SetMemberIsDisplay(1);
        return;
      }
    }
    if (!entry.members.empty()) Report("表 " + tableName + ": 没有文本列也没有主键，生成前请选一个显示成员");
  }

  TSqlSchema& FSchema;
  TSqlImportResult& FResult;
  std::vector<TTablePlan> FPlans;
  std::unordered_map<std::string, std::size_t> FPlanByTable;      // lower-case table name to its first plan
  std::unordered_map<std::string, std::size_t> FImportedByClass;  // lower-case class name to its imported plan
  std::vector<std::vector<std::string>> FTableLines;
  std::size_t FCurrent = 0;
  std::map<std::string, std::string> FDescriptions;
};

}  // namespace

TSqlImportResult ImportSqlScript(std::string bytes, const std::string& projectName) {
  const TSqlScriptText text = DecodeSqlScript(bytes);
  std::string().swap(bytes);  // the file's bytes are not needed once decoded; a large script is held once
  TSqlSchema schema = ReadSqlScript(text.utf8);
  TSqlImportResult result;
  result.project.projectName = projectName;
  result.encoding = text.encoding;
  result.tableCount = static_cast<int>(schema.tables.size());
  result.unreadableTableCount = static_cast<int>(schema.unreadableTables.size());
  TMapper mapper(schema, result);
  mapper.Run();

  std::size_t members = 0;
  for (const TClassModel& entry : result.project.classes) members += entry.members.size();
  result.report.push_back("编码: " + result.encoding);
  result.report.push_back("读到 " + std::to_string(result.tableCount) + " 个表，导入 " +
                          std::to_string(result.project.classes.size()) + " 个类、" + std::to_string(members) +
                          " 个成员");
  result.report.push_back("改了首字母大小写的名称: " + std::to_string(result.adaptedNames) + " 个");
  result.report.insert(result.report.end(), schema.skipped.begin(), schema.skipped.end());
  const std::vector<std::string> lines = mapper.Lines();
  result.report.insert(result.report.end(), lines.begin(), lines.end());
  // The lines repeat the script's text (a statement that could not be read, names): each in its printable
  // form, one line of the terminal whatever the script holds.
  for (std::string& line : result.report) line = NameRules::Printable(line);
  return result;
}
