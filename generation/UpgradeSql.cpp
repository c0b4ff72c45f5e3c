#include "generation/UpgradeSql.h"

#include <functional>
#include <set>
#include <stdexcept>
#include <utility>

#include "generation/DataBaseSql.h"
#include "model/ClassIndex.h"
#include "model/Member.h"
#include "model/NameRules.h"
#include "model/ProjectChecker.h"

namespace {

const char* const kCrLf = "\r\n";

// After every step: a step that failed has rolled the transaction back (XACT_ABORT) or left an error behind;
// either way no later batch may run, or it would run outside the transaction.
const char* const kStepCheck =
    "IF @@ERROR <> 0 AND @@TRANCOUNT > 0 ROLLBACK TRANSACTION\r\n"
    "IF @@TRANCOUNT = 0 SET NOEXEC ON\r\n"
    "GO\r\n\r\n";

const char* const kAllowDataLoss = "--allow-data-loss";

// One column as the table script writes it for a member.
struct TColumn {
  const TMember* member = nullptr;
  std::string type;  // varchar, int, float or datetime
  int length = 0;    // varchar only
  bool notNull = false;
  bool identity = false;
  const TClassModel* reference = nullptr;  // the class whose key the column holds, in the column's own model

  const std::string& Name() const { return member->GetMemberName(); }
  bool SameDefinition(const TColumn& other) const {
    return type == other.type && length == other.length && notNull == other.notNull && identity == other.identity;
  }
  // The column's type and nullability after its name in ADD and ALTER COLUMN.
  std::string Definition() const {
    if (type == "varchar")
      return "[varchar] (" + std::to_string(length) + ") COLLATE Chinese_PRC_CI_AS " + (notNull ? "NOT NULL" : "NULL");
    return "[" + type + "] " + (notNull ? "NOT NULL" : "NULL");
  }
  // The same, short, for the header: "varchar(20) NULL".
  std::string Shown() const {
    std::string shown = type;
    if (type == "varchar") shown += "(" + std::to_string(length) + ")";
    if (identity) shown += " IDENTITY";
    return shown + (notNull ? " NOT NULL" : " NULL");
  }
};

// One table of a model: a class with a key member, its key column and its other columns in catalogue order.
struct TTable {
  const TClassModel* entry = nullptr;
  TColumn key;
  std::vector<TColumn> columns;

  const std::string& Name() const { return entry->className; }
};

TColumn KeyColumn(const TMember& key) {
  TColumn column;
  column.member = &key;
  column.notNull = true;
  if (key.GetMemberIsInteger() == 1) {
    column.type = "int";
    column.identity = true;
  } else {
    column.type = "varchar";
    column.length = key.GetMemberLength();
  }
  return column;
}

// The column the table script writes for a member that is not a key; false when it writes none (a reference to
// no class of the project with a key member).
bool MemberColumn(const TMember& member, const TClassIndex& classes, TColumn& column) {
  column = TColumn();
  column.member = &member;
  const std::string& type = member.GetMemberType();
  if (type == MemberTypes::kString) {
    column.type = "varchar";
    column.length = member.GetMemberLength();
    column.notNull = member.GetMemberIsMust() == 1;
  } else if (type == MemberTypes::kInteger || type == MemberTypes::kFloat) {
    column.type = type == MemberTypes::kInteger ? "int" : "float";
    column.notNull = true;
  } else if (type == MemberTypes::kDate) {
    column.type = "datetime";
  } else if (type == MemberTypes::kPicture) {
    column.type = "varchar";
    column.length = 50;
  } else {
    const TClassModel* referenced = classes.Find(type);
    const TMember* key = referenced != nullptr ? referenced->KeyMember() : nullptr;
    if (key == nullptr) return false;
    column = KeyColumn(*key);
    column.member = &member;
    column.identity = false;
    column.reference = referenced;
  }
  return true;
}

std::vector<TTable> Tables(const TProjectModel& project, const TClassIndex& classes) {
  std::vector<TTable> tables;
  for (const TClassModel& entry : project.classes) {
    const TMember* key = entry.KeyMember();
    if (key == nullptr) continue;
    TTable table;
    table.entry = &entry;
    table.key = KeyColumn(*key);
    for (const TMember& member : entry.members) {
      TColumn column;
      if (member.GetMemberIsPri() == 0 && MemberColumn(member, classes, column)) table.columns.push_back(column);
    }
    tables.push_back(std::move(table));
  }
  return tables;
}

// A text inside a T-SQL string literal N'...' and a RAISERROR message.
std::string MessageLiteral(const std::string& text) {
  std::string literal = "N'";
  for (char c : text) {
    if (c == '\'') literal += '\'';
    if (c == '%') literal += '%';
    literal += c;
  }
  return literal + "'";
}

std::string Bracketed(const std::string& table) {
  return "[dbo].[" + table + "]";
}

std::string Dotted(const std::string& table, const std::string& column) {
  return table + "." + column;
}

class TUpgradeBuilder {
 public:
  TUpgradeBuilder(const TProjectModel& from, const TProjectModel& to, const TUpgradeOptions& options)
      : FFromIndex(from), FToIndex(to), FFrom(from), FTo(to), FOptions(options) {}

  TUpgradeScript Build() {
    const std::vector<TTable> oldTables = Tables(FFrom, FFromIndex);
    const std::vector<TTable> newTables = Tables(FTo, FToIndex);
    for (const TTable& table : newTables) FNewTables.push_back(&table);
    for (const TTable& table : oldTables) {
      const TTable* now = nullptr;
      for (const TTable& candidate : newTables)
        if (SameClass(*table.entry, *candidate.entry)) now = &candidate;
      FMatch.push_back({&table, now});
    }

    for (const auto& [old, now] : FMatch)
      if (now != nullptr) CheckKey(*old, *now);
    // Names the tables have once every rename and addition is done: a removed table of such a name must be
    // gone before them.
    std::set<std::string> takenTableNames;
    std::vector<TRename> tableRenames;
    for (const TTable* now : FNewTables) {
      const TTable* old = OldOf(*now);
      if (old == nullptr || old->Name() != now->Name()) takenTableNames.insert(Folded(now->Name()));
    }

    for (const auto& [old, now] : FMatch) {
      if (now == nullptr) {
        RemoveTable(*old, takenTableNames.count(Folded(old->Name())) != 0);
        continue;
      }
      if (old->Name() != now->Name()) {
        Change("改名：表 " + old->Name() + " → " + now->Name());
        tableRenames.push_back({old->Name(), now->Name()});
      }
      UpgradeColumns(*old, *now);
    }
    std::set<std::string> tableNames;
    for (const TTable& table : oldTables) tableNames.insert(Folded(table.Name()));
    for (const TTable& table : newTables) tableNames.insert(Folded(table.Name()));
    FTableRenames = RenameSteps(tableRenames, tableNames, [](const std::string& before, const std::string& after) {
      return "EXEC sp_rename @objname = N'dbo." + before + "', @newname = N'" + after + "'" + kCrLf;
    });
    for (const TTable* now : FNewTables)
      if (OldOf(*now) == nullptr) AddTable(*now);
    return Assemble();
  }

 private:
  struct TMatch {
    const TTable* old;
    const TTable* now;  // nullptr: the class is gone, or has no key member any more
  };

  struct TRename {
    std::string before, after;
  };

  // The sp_rename steps of a set of renames done together (the tables of the project, or the columns of one
  // table). A rename whose new name another one's old name still holds (two names swapped, or a chain)
  // would fail: it first moves to a temporary name, and takes its new name once every other rename is done.
  // Without such a rename the steps are the renames in their order. `names` holds every name, folded, the
  // objects have before and after the renames, so that no temporary name is one of them.
  static std::string RenameSteps(const std::vector<TRename>& renames, std::set<std::string> names,
                                 const std::function<std::string(const std::string&, const std::string&)>& rename) {
    std::vector<bool> through(renames.size(), false);
    for (std::size_t i = 0; i < renames.size(); ++i)
      for (const TRename& other : renames)
        through[i] = through[i] || (&other != &renames[i] && Folded(other.before) == Folded(renames[i].after));
    std::vector<std::string> temporary(renames.size());
    std::string first, direct, last;
    for (std::size_t i = 0, number = 0; i < renames.size(); ++i) {
      if (!through[i]) {
        direct += rename(renames[i].before, renames[i].after) + Step();
        continue;
      }
      do temporary[i] = "corvanthel_rename_" + std::to_string(++number);
      while (!names.insert(temporary[i]).second);
      first += rename(renames[i].before, temporary[i]) + Step();
      last += rename(temporary[i], renames[i].after) + Step();
    }
    return first + direct + last;
  }

  static std::string Folded(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
  }

  bool SameClass(const TClassModel& old, const TClassModel& now) const {
    if (FOptions.matchById) return old.classId != 0 && old.classId == now.classId;
    return NameRules::SameNameIgnoringCase(old.className, now.className);
  }

  bool SameMember(const TMember& old, const TMember& now) const {
    if (FOptions.matchById) return old.GetMemberId() != 0 && old.GetMemberId() == now.GetMemberId();
    return NameRules::SameNameIgnoringCase(old.GetMemberName(), now.GetMemberName());
  }

  const TTable* OldOf(const TTable& now) const {
    for (const TMatch& match : FMatch)
      if (match.now == &now) return match.old;
    return nullptr;
  }

  // The new model's class a class of the old model became; nullptr when it has no table there.
  const TClassModel* NowOf(const TClassModel* old) const {
    for (const TMatch& match : FMatch)
      if (match.old->entry == old) return match.now != nullptr ? match.now->entry : nullptr;
    return nullptr;
  }

  // A table keeps its key: the same member, of the same kind and length. ALTER COLUMN cannot turn an identity
  // column into text or back, and a key other columns refer to cannot be changed in place.
  void CheckKey(const TTable& old, const TTable& now) const {
    const TColumn& before = old.key;
    const TColumn& after = now.key;
    if (SameMember(*before.member, *after.member) && before.SameDefinition(after)) return;
    throw TProjectProblemError("类“" + now.Name() + "”的主键由 " + before.Name() + " " + before.Shown() + " 改为 " +
                               after.Name() + " " + after.Shown() +
                               "：升级脚本不能改变已有表的主键。请改回原来的主键，或新建一个类并自行迁移数据");
  }

  void Change(const std::string& line) { FChanges.push_back(line); }
  void Warn(const std::string& line) { FWarnings.push_back(line); }

  static std::string Step() { return std::string("GO") + kCrLf + kStepCheck; }

  // A check of the table's data before a step: when a row matches, the script stops with the message.
  static std::string Guard(const std::string& table, const std::string& condition, const std::string& message) {
    return "IF EXISTS (SELECT 1 FROM " + Bracketed(table) + (condition.empty() ? "" : " WHERE " + condition) + ")" +
           kCrLf + "BEGIN" + kCrLf + "\tRAISERROR(" + MessageLiteral(message) + ", 16, 1)" + kCrLf +
           "\tIF @@TRANCOUNT > 0 ROLLBACK TRANSACTION" + kCrLf + "\tSET NOEXEC ON" + kCrLf + "END" + kCrLf + "GO" +
           kCrLf + kCrLf;
  }

  // The check before a step that may lose data, or, with allowDataLoss, only a warning that there is none.
  std::string LossGuard(const std::string& table, const std::string& condition, const std::string& what,
                        const std::string& found) {
    if (FOptions.allowDataLoss) {
      Warn(what + "可能丢失数据：已用 " + kAllowDataLoss + " 允许，不作检查");
      return "";
    }
    Warn(what + "可能丢失数据：执行前先检查，" + found + "时脚本停止并回滚");
    return Guard(table, condition,
                 what + "会丢失数据：" + found + "。升级已停止并回滚；确认可以丢失后用 " + kAllowDataLoss +
                     " 重新生成脚本");
  }

  // Drops the foreign keys and defaults of a column of the old database: SQL Server changes and drops no
  // column they use. The table script names none of them, so their names come from the system views.
  void DropConstraintsOf(const std::string& table, const std::string& column, bool foreignKey) {
    const std::string drop = "N'ALTER TABLE " + Bracketed(table) + " DROP CONSTRAINT ' + QUOTENAME(";
    const std::string where = " WHERE ";
    FDropKeys += "DECLARE @sql nvarchar(max) = N'';" + std::string(kCrLf);
    FDropKeys += "SELECT @sql = @sql + " + drop + "fk.name) + N'; ' FROM sys.foreign_keys AS fk" + kCrLf +
                 "\tINNER JOIN sys.foreign_key_columns AS fkc ON fkc.constraint_object_id = fk.object_id" + kCrLf +
                 "\tINNER JOIN sys.columns AS c ON c.object_id = fkc.parent_object_id AND c.column_id = "
                 "fkc.parent_column_id" +
                 kCrLf + "\tWHERE fk.parent_object_id = OBJECT_ID(N'" + Bracketed(table) + "') AND c.name = N'" +
                 column + "';" + kCrLf;
    FDropKeys += "SELECT @sql = @sql + " + drop + "dc.name) + N'; ' FROM sys.default_constraints AS dc" + kCrLf +
                 "\tINNER JOIN sys.columns AS c ON c.object_id = dc.parent_object_id AND c.column_id = "
                 "dc.parent_column_id" +
                 kCrLf + "\tWHERE dc.parent_object_id = OBJECT_ID(N'" + Bracketed(table) + "') AND c.name = N'" +
                 column + "';" + kCrLf;
    FDropKeys += std::string("EXEC(@sql);") + kCrLf + Step();
    if (foreignKey) Change("删除外键：" + Dotted(table, column));
  }

  void AddForeignKey(const std::string& table, const TColumn& column) {
    const TClassModel& target = *column.reference;
    // The statement the table script writes, so that both scripts leave the same database.
    FAddKeys += "ALTER TABLE " + table + " ADD FOREIGN KEY (" + column.Name() + ") REFERENCES " + target.className +
                "(" + target.KeyMember()->GetMemberName() + ")" + kCrLf + Step();
    Change("新增外键：" + Dotted(table, column.Name()) + " → " + Dotted(target.className, target.KeyMember()->GetMemberName()));
  }

  void AddTable(const TTable& now) {
    Change("新增表 " + now.Name());
    // The table script's CREATE TABLE for the class, without the drop before it: a table of that name that is
    // there already makes the step fail instead of losing its rows.
    const std::string whole = TDataBaseSql::ClassScript(*now.entry, FToIndex);
    const std::string end = ") ON [PRIMARY]\r\n";
    const std::size_t begin = whole.find("CREATE TABLE ");
    const std::size_t last = whole.find(end, begin);
    if (begin == std::string::npos || last == std::string::npos)
      throw std::logic_error("the table script wrote no CREATE TABLE for " + now.Name());
    FAddTables += whole.substr(begin, last + end.size() - begin) + Step();
    for (const TColumn& column : now.columns)
      if (column.reference != nullptr) AddForeignKey(now.Name(), column);
  }

  void RemoveTable(const TTable& old, bool inTheWay) {
    // Foreign keys between the removed tables would hold each other up.
    for (const TColumn& column : old.columns)
      if (column.reference != nullptr && (FOptions.allowDataLoss || inTheWay))
        DropConstraintsOf(old.Name(), column.Name(), true);
    const std::string drop = "DROP TABLE " + Bracketed(old.Name()) + kCrLf;
    if (inTheWay) {
      // A new or renamed table takes the name: the old one must go first, and only when it is empty.
      Change("删除表 " + old.Name() + "（它的名称由另一个类使用）");
      FEarlyDrops += LossGuard(old.Name(), "", "删除表 " + old.Name(), "表中有数据") + drop + Step();
    } else if (FOptions.allowDataLoss) {
      Change("删除表 " + old.Name());
      Warn("删除表 " + old.Name() + " 会丢失其中的数据：已用 " + kAllowDataLoss + " 允许");
      FDropTables += drop + Step();
    } else {
      Change("删除表 " + old.Name() + "（语句已注释，不执行）");
      Warn("类 " + old.Name() + " 已从项目中删除，它的表和数据保留：DROP TABLE 语句已注释；确认不再需要后，用 " +
           kAllowDataLoss + " 重新生成脚本，或手工删除该表");
      FDropTables += "-- " + drop + kCrLf;
    }
  }

  const TColumn* OldColumn(const TTable& old, const TColumn& now) const {
    for (const TColumn& column : old.columns)
      if (SameMember(*column.member, *now.member)) return &column;
    return nullptr;
  }

  bool Kept(const TTable& now, const TColumn& old) const {
    for (const TColumn& column : now.columns)
      if (SameMember(*old.member, *column.member)) return true;
    return false;
  }

  // What a NULL of a column that becomes required is filled with, and what a required column added to rows
  // holds at first: what a blank field of the add form stores.
  static std::string DefaultValue(const TColumn& column) {
    if (column.type == "varchar") return "''";
    if (column.type == "datetime") return "GETDATE()";
    return "0";
  }

  void UpgradeColumns(const TTable& old, const TTable& now) {
    const std::string& table = now.Name();  // renames come before every column step
    std::vector<TRename> renames;
    if (old.key.Name() != now.key.Name()) RenameColumn(table, old.key.Name(), now.key.Name(), renames);

    // Names the columns have after the renames and additions: a dropped column of such a name goes first.
    std::set<std::string> taken;
    for (const TColumn& column : now.columns) {
      const TColumn* before = OldColumn(old, column);
      if (before == nullptr || before->Name() != column.Name()) taken.insert(Folded(column.Name()));
    }
    for (const TColumn& column : old.columns) {
      if (Kept(now, column)) continue;
      DropConstraintsOf(old.Name(), column.Name(), column.reference != nullptr);
      // The early drops run before the renames, under the table's old name.
      if (taken.count(Folded(column.Name())) != 0)
        DropColumn(old.Name(), column, FEarlyDrops);
      else
        DropColumn(table, column, FDropColumns);
    }

    for (const TColumn& column : now.columns) {
      const TColumn* before = OldColumn(old, column);
      if (before == nullptr) {
        AddColumn(table, column);
        continue;
      }
      if (before->Name() != column.Name()) RenameColumn(table, before->Name(), column.Name(), renames);
      const TClassModel* referenceNow = before->reference != nullptr ? NowOf(before->reference) : nullptr;
      const bool referenceChanged = referenceNow != column.reference;
      const bool definitionChanged = !before->SameDefinition(column);
      if (!referenceChanged && !definitionChanged) continue;
      DropConstraintsOf(old.Name(), before->Name(), before->reference != nullptr);
      ChangeColumn(table, *before, column);
      if (column.reference != nullptr) AddForeignKey(table, column);
    }

    std::set<std::string> names{Folded(old.key.Name()), Folded(now.key.Name())};
    for (const TTable* each : {&old, &now})
      for (const TColumn& column : each->columns) names.insert(Folded(column.Name()));
    FRenames += RenameSteps(renames, names, [&table](const std::string& before, const std::string& after) {
      return "EXEC sp_rename @objname = N'dbo." + table + "." + before + "', @newname = N'" + after +
             "', @objtype = N'COLUMN'" + kCrLf;
    });
  }

  void RenameColumn(const std::string& table, const std::string& before, const std::string& after,
                    std::vector<TRename>& renames) {
    Change("改名：列 " + Dotted(table, before) + " → " + Dotted(table, after));
    renames.push_back({before, after});
  }

  void DropColumn(const std::string& table, const TColumn& column, std::string& into) {
    Change("删除列 " + Dotted(table, column.Name()));
    const std::string name = "[" + column.Name() + "]";
    into += LossGuard(table, name + " IS NOT NULL", "删除列 " + Dotted(table, column.Name()), "列中有值");
    into += "ALTER TABLE " + Bracketed(table) + " DROP COLUMN " + name + kCrLf + Step();
  }

  void AddColumn(const std::string& table, const TColumn& column) {
    Change("新增列 " + Dotted(table, column.Name()) + " " + column.Shown());
    const std::string add = "ALTER TABLE " + Bracketed(table) + " ADD [" + column.Name() + "] " + column.Definition();
    if (column.reference != nullptr) {
      // The key of another row: no value stands in for it in the rows already there.
      Warn("新增引用列 " + Dotted(table, column.Name()) + " 不能为空：表中已有数据时脚本停止并回滚");
      FAddColumns += Guard(table, "", std::string("表中已有数据") + "：无法给表 " + table + " 新增不能为空的引用列 " +
                                          column.Name() + "。升级已停止并回滚；请先处理表中的数据");
      FAddColumns += add + kCrLf + Step();
      AddForeignKey(table, column);
      return;
    }
    if (!column.notNull) {
      FAddColumns += add + kCrLf + Step();
      return;
    }
    // The rows already there need a value; the default goes again at once, so no later change trips over it.
    const std::string constraint = "DF_Upgrade_" + std::to_string(++FDefaults);
    FAddColumns += add + " CONSTRAINT [" + constraint + "] DEFAULT (" + DefaultValue(column) + ")" + kCrLf + Step();
    FAddColumns += "ALTER TABLE " + Bracketed(table) + " DROP CONSTRAINT " + constraint + kCrLf + Step();
  }

  void ChangeColumn(const std::string& table, const TColumn& before, const TColumn& after) {
    const std::string what = "修改列 " + Dotted(table, after.Name());
    const std::string name = "[" + after.Name() + "]";
    if (!before.SameDefinition(after)) Change(what + "：" + before.Shown() + " → " + after.Shown());
    std::string& into = FChangeColumns;
    if (before.type != after.type) {
      into += LossGuard(table, name + " IS NOT NULL", what + "（类型 " + before.type + " → " + after.type + "）",
                        "列中有值");
    } else if (after.type == "varchar" && after.length < before.length) {
      const std::string length = std::to_string(after.length);
      into += LossGuard(table, "DATALENGTH(" + name + ") > " + length,
                        what + "（长度 " + std::to_string(before.length) + " → " + length + "）",
                        "有值长于 " + length + " 字节");
      // SQL Server refuses to cut a value in ALTER COLUMN; a CAST cuts it.
      if (FOptions.allowDataLoss)
        into += "UPDATE " + Bracketed(table) + " SET " + name + " = CAST(" + name + " AS varchar(" + length +
                ")) WHERE DATALENGTH(" + name + ") > " + length + kCrLf + Step();
    }
    if (after.notNull && !before.notNull) {
      into += LossGuard(table, name + " IS NULL", what + "（改为必填）", "列中有空值");
      if (FOptions.allowDataLoss)
        into += "UPDATE " + Bracketed(table) + " SET " + name + " = " + DefaultValue(after) + " WHERE " + name +
                " IS NULL" + kCrLf + Step();
    }
    into += "ALTER TABLE " + Bracketed(table) + " ALTER COLUMN " + name + " " + after.Definition() + kCrLf + Step();
  }

  TUpgradeScript Assemble() {
    TUpgradeScript script;
    script.changes = FChanges;
    script.warnings = FWarnings;
    if (FChanges.empty()) {
      script.nothingToDo = true;
      script.text = std::string("-- ") + UpgradeTexts::kNothingToDo + kCrLf;
      return script;
    }
    std::string& text = script.text;
    text = "-- 升级脚本：项目 " + NameRules::CommentText(FTo.projectName) + kCrLf;
    text += "-- 从 " + NameRules::CommentText(FOptions.fromLabel) + " 升级到目录中的当前项目" + kCrLf;
    if (!FOptions.matchById)
      Warn("旧版本没有编号，类和成员按名称对应：改了名的类或成员读作删除后再新增，其中的数据不会保留");
    text += std::string("-- 变更：") + kCrLf;
    for (const std::string& line : FChanges) text += "--   " + line + kCrLf;
    if (!FWarnings.empty()) {
      text += std::string("-- 警告：") + kCrLf;
      for (const std::string& line : FWarnings) text += "--   " + line + kCrLf;
    }
    script.warnings = FWarnings;
    text += std::string("-- 整个脚本在一个事务中执行：任何一步失败都会回滚，之后的语句不再执行。") + kCrLf + kCrLf;
    text += std::string("SET XACT_ABORT ON") + kCrLf + "GO" + kCrLf + "BEGIN TRANSACTION" + kCrLf + "GO" + kCrLf + kCrLf;
    text += FDropKeys + FEarlyDrops + FTableRenames + FRenames + FAddTables + FAddColumns + FChangeColumns +
            FDropColumns + FDropTables + FAddKeys;
    text += std::string("IF @@TRANCOUNT > 0 COMMIT TRANSACTION") + kCrLf + "GO" + kCrLf + "SET NOEXEC OFF" + kCrLf +
            "GO" + kCrLf;
    return script;
  }

  const TClassIndex FFromIndex;
  const TClassIndex FToIndex;
  const TProjectModel& FFrom;
  const TProjectModel& FTo;
  const TUpgradeOptions& FOptions;
  std::vector<TMatch> FMatch;                // every table of the old model with what it became
  std::vector<const TTable*> FNewTables;     // every table of the new model
  std::vector<std::string> FChanges;
  std::vector<std::string> FWarnings;
  int FDefaults = 0;  // named defaults used so far
  // The batches of each kind of step, in the order they run.
  std::string FDropKeys, FEarlyDrops, FTableRenames, FRenames, FAddTables, FAddColumns, FChangeColumns, FDropColumns,
      FDropTables, FAddKeys;
};

}  // namespace

TUpgradeScript BuildUpgradeScript(const TProjectModel& from, const TProjectModel& to, const TUpgradeOptions& options) {
  RefuseUnsafeProject(to);
  RefuseUnsafeProject(from);
  return TUpgradeBuilder(from, to, options).Build();
}
