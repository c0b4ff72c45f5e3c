#include "generation/UpgradeSql.h"

#include <set>
#include <stdexcept>
#include <utility>

#include "generation/DataBaseSql.h"
#include "generation/TemplateSet.h"
#include "generation/ViewModel.h"
#include "model/ClassIndex.h"
#include "model/Member.h"
#include "model/NameRules.h"
#include "model/ProjectChecker.h"

namespace {

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
  // A step on the column with its type, length and nullability, as ADD and ALTER COLUMN write them.
  TUpgradeStep Step(TUpgradeStep::TKind kind, const std::string& table) const {
    TUpgradeStep step;
    step.kind = kind;
    step.table = table;
    step.column = Name();
    step.type = type;
    step.length = length;
    step.notNull = notNull;
    return step;
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

std::string Dotted(const std::string& table, const std::string& column) {
  return table + "." + column;
}

using TSteps = std::vector<TUpgradeStep>;

class TUpgradeBuilder {
 public:
  TUpgradeBuilder(const TProjectModel& from, const TProjectModel& to, const TUpgradeOptions& options,
                  const TTemplateSet& templates)
      : FFromIndex(from),
        FToIndex(to),
        FFrom(from),
        FTo(to),
        FOptions(options),
        FTemplates(templates),
        FToView(to, FToIndex) {}

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
    FTableRenames = RenameSteps(tableRenames, tableNames, TUpgradeStep::TKind::RenameTable, "");
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
  static TSteps RenameSteps(const std::vector<TRename>& renames, std::set<std::string> names, TUpgradeStep::TKind kind,
                            const std::string& table) {
    std::vector<bool> through(renames.size(), false);
    for (std::size_t i = 0; i < renames.size(); ++i)
      for (const TRename& other : renames)
        through[i] = through[i] || (&other != &renames[i] && Folded(other.before) == Folded(renames[i].after));
    const auto rename = [kind, &table](const std::string& before, const std::string& after) {
      TUpgradeStep step;
      step.kind = kind;
      // A table's rename names the table; a column's, the table and the column.
      step.table = kind == TUpgradeStep::TKind::RenameTable ? before : table;
      if (kind == TUpgradeStep::TKind::RenameColumn) step.column = before;
      step.newName = after;
      return step;
    };
    TSteps first, direct, last;
    for (std::size_t i = 0, number = 0; i < renames.size(); ++i) {
      if (!through[i]) {
        direct.push_back(rename(renames[i].before, renames[i].after));
        continue;
      }
      std::string temporary;
      do temporary = "corvanthel_rename_" + std::to_string(++number);
      while (!names.insert(temporary).second);
      first.push_back(rename(renames[i].before, temporary));
      last.push_back(rename(temporary, renames[i].after));
    }
    Append(first, direct);
    Append(first, last);
    return first;
  }

  static void Append(TSteps& into, const TSteps& steps) { into.insert(into.end(), steps.begin(), steps.end()); }

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

  static TUpgradeStep Plain(TUpgradeStep::TKind kind, const std::string& table, const std::string& column = "") {
    TUpgradeStep step;
    step.kind = kind;
    step.table = table;
    step.column = column;
    return step;
  }

  // A check of the table's data before a step: when a row matches, the script stops with the message.
  static TUpgradeStep Guard(const std::string& table, const std::string& condition, const std::string& message) {
    TUpgradeStep step = Plain(TUpgradeStep::TKind::Guard, table);
    step.condition = condition;
    step.message = message;
    return step;
  }

  // The check before a step that may lose data, or, with allowDataLoss, only a warning that there is none.
  void LossGuard(TSteps& into, const std::string& table, const std::string& condition, const std::string& what,
                 const std::string& found) {
    if (FOptions.allowDataLoss) {
      Warn(what + "可能丢失数据：已用 " + kAllowDataLoss + " 允许，不作检查");
      return;
    }
    Warn(what + "可能丢失数据：执行前先检查，" + found + "时脚本停止并回滚");
    into.push_back(Guard(
        table, condition,
        what + "会丢失数据：" + found + "。升级已停止并回滚；确认可以丢失后用 " + kAllowDataLoss + " 重新生成脚本"));
  }

  // Drops the foreign keys and defaults of a column of the old database: SQL Server changes and drops no
  // column they use. The table script names none of them, so their names come from the system views.
  void DropConstraintsOf(const std::string& table, const std::string& column, bool foreignKey) {
    FDropKeys.push_back(Plain(TUpgradeStep::TKind::DropConstraints, table, column));
    if (foreignKey) Change("删除外键：" + Dotted(table, column));
  }

  void AddForeignKey(const std::string& table, const TColumn& column) {
    const TClassModel& target = *column.reference;
    // The statement the table script writes, so that both scripts leave the same database.
    TUpgradeStep step = Plain(TUpgradeStep::TKind::AddForeignKey, table, column.Name());
    step.refTable = target.className;
    step.refKey = target.KeyMember()->GetMemberName();
    FAddKeys.push_back(step);
    Change("新增外键：" + Dotted(table, column.Name()) + " → " + Dotted(target.className, target.KeyMember()->GetMemberName()));
  }

  void AddTable(const TTable& now) {
    Change("新增表 " + now.Name());
    // The table script's CREATE TABLE for the class, without the drop before it: a table of that name that is
    // there already makes the step fail instead of losing its rows.
    const std::string whole = TDataBaseSql::ClassScript(FToView.ClassOf(*now.entry), FTemplates);
    const std::string end = ") ON [PRIMARY]";
    const std::size_t begin = whole.find("CREATE TABLE ");
    const std::size_t last = whole.find(end, begin);
    if (begin == std::string::npos || last == std::string::npos)
      throw std::runtime_error("模板 sql/Table.sql 为类 " + now.Name() + " 写的文本中没有“CREATE TABLE … " + end +
                               "”：升级脚本无法新增该表");
    TUpgradeStep step = Plain(TUpgradeStep::TKind::CreateTable, now.Name());
    step.text = whole.substr(begin, last + end.size() - begin);
    FAddTables.push_back(step);
    for (const TColumn& column : now.columns)
      if (column.reference != nullptr) AddForeignKey(now.Name(), column);
  }

  void RemoveTable(const TTable& old, bool inTheWay) {
    // Foreign keys between the removed tables would hold each other up.
    for (const TColumn& column : old.columns)
      if (column.reference != nullptr && (FOptions.allowDataLoss || inTheWay))
        DropConstraintsOf(old.Name(), column.Name(), true);
    const TUpgradeStep drop = Plain(TUpgradeStep::TKind::DropTable, old.Name());
    if (inTheWay) {
      // A new or renamed table takes the name: the old one must go first, and only when it is empty.
      Change("删除表 " + old.Name() + "（它的名称由另一个类使用）");
      LossGuard(FEarlyDrops, old.Name(), "", "删除表 " + old.Name(), "表中有数据");
      FEarlyDrops.push_back(drop);
    } else if (FOptions.allowDataLoss) {
      Change("删除表 " + old.Name());
      Warn("删除表 " + old.Name() + " 会丢失其中的数据：已用 " + kAllowDataLoss + " 允许");
      FDropTables.push_back(drop);
    } else {
      Change("删除表 " + old.Name() + "（语句已注释，不执行）");
      Warn("类 " + old.Name() + " 已从项目中删除，它的表和数据保留：DROP TABLE 语句已注释；确认不再需要后，用 " +
           kAllowDataLoss + " 重新生成脚本，或手工删除该表");
      FDropTables.push_back(Plain(TUpgradeStep::TKind::KeptTable, old.Name()));
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
    Append(FRenames, RenameSteps(renames, names, TUpgradeStep::TKind::RenameColumn, table));
  }

  void RenameColumn(const std::string& table, const std::string& before, const std::string& after,
                    std::vector<TRename>& renames) {
    Change("改名：列 " + Dotted(table, before) + " → " + Dotted(table, after));
    renames.push_back({before, after});
  }

  void DropColumn(const std::string& table, const TColumn& column, TSteps& into) {
    Change("删除列 " + Dotted(table, column.Name()));
    const std::string name = "[" + column.Name() + "]";
    LossGuard(into, table, name + " IS NOT NULL", "删除列 " + Dotted(table, column.Name()), "列中有值");
    into.push_back(Plain(TUpgradeStep::TKind::DropColumn, table, column.Name()));
  }

  void AddColumn(const std::string& table, const TColumn& column) {
    Change("新增列 " + Dotted(table, column.Name()) + " " + column.Shown());
    TUpgradeStep add = column.Step(TUpgradeStep::TKind::AddColumn, table);
    if (column.reference != nullptr) {
      // The key of another row: no value stands in for it in the rows already there.
      Warn("新增引用列 " + Dotted(table, column.Name()) + " 不能为空：表中已有数据时脚本停止并回滚");
      FAddColumns.push_back(Guard(table, "",
                                  std::string("表中已有数据") + "：无法给表 " + table + " 新增不能为空的引用列 " +
                                      column.Name() + "。升级已停止并回滚；请先处理表中的数据"));
      FAddColumns.push_back(add);
      AddForeignKey(table, column);
      return;
    }
    if (!column.notNull) {
      FAddColumns.push_back(add);
      return;
    }
    // The rows already there need a value; the default goes again at once, so no later change trips over it.
    add.constraint = "DF_Upgrade_" + std::to_string(++FDefaults);
    add.value = DefaultValue(column);
    FAddColumns.push_back(add);
    TUpgradeStep dropDefault = Plain(TUpgradeStep::TKind::DropDefault, table);
    dropDefault.constraint = add.constraint;
    FAddColumns.push_back(dropDefault);
  }

  void ChangeColumn(const std::string& table, const TColumn& before, const TColumn& after) {
    const std::string what = "修改列 " + Dotted(table, after.Name());
    const std::string name = "[" + after.Name() + "]";
    if (!before.SameDefinition(after)) Change(what + "：" + before.Shown() + " → " + after.Shown());
    TSteps& into = FChangeColumns;
    if (before.type != after.type) {
      LossGuard(into, table, name + " IS NOT NULL", what + "（类型 " + before.type + " → " + after.type + "）",
                "列中有值");
    } else if (after.type == "varchar" && after.length < before.length) {
      const std::string length = std::to_string(after.length);
      LossGuard(into, table, "DATALENGTH(" + name + ") > " + length,
                what + "（长度 " + std::to_string(before.length) + " → " + length + "）",
                "有值长于 " + length + " 字节");
      // SQL Server refuses to cut a value in ALTER COLUMN; a CAST cuts it.
      if (FOptions.allowDataLoss) into.push_back(after.Step(TUpgradeStep::TKind::CutValues, table));
    }
    if (after.notNull && !before.notNull) {
      LossGuard(into, table, name + " IS NULL", what + "（改为必填）", "列中有空值");
      if (FOptions.allowDataLoss) {
        TUpgradeStep fill = after.Step(TUpgradeStep::TKind::FillNulls, table);
        fill.value = DefaultValue(after);
        into.push_back(fill);
      }
    }
    into.push_back(after.Step(TUpgradeStep::TKind::AlterColumn, table));
  }

  TUpgradeScript Assemble() {
    TUpgradeScript script;
    TUpgradeView view;
    view.projectName = FTo.projectName;
    view.from = FOptions.fromLabel;
    view.nothingToDo = FChanges.empty();
    if (!view.nothingToDo) {
      if (!FOptions.matchById)
        Warn("旧版本没有编号，类和成员按名称对应：改了名的类或成员读作删除后再新增，其中的数据不会保留");
      for (const TSteps* steps : {&FDropKeys, &FEarlyDrops, &FTableRenames, &FRenames, &FAddTables, &FAddColumns,
                                  &FChangeColumns, &FDropColumns, &FDropTables, &FAddKeys})
        Append(view.steps, *steps);
      view.changes = FChanges;
      view.warnings = FWarnings;
    }
    view.MakeLists();
    script.text = FTemplates.Render("sql/Upgrade.sql", FToView, view);
    script.nothingToDo = view.nothingToDo;
    script.changes = view.changes;
    script.warnings = view.warnings;
    return script;
  }

  const TClassIndex FFromIndex;
  const TClassIndex FToIndex;
  const TProjectModel& FFrom;
  const TProjectModel& FTo;
  const TUpgradeOptions& FOptions;
  const TTemplateSet& FTemplates;
  const TProjectView FToView;
  std::vector<TMatch> FMatch;                // every table of the old model with what it became
  std::vector<const TTable*> FNewTables;     // every table of the new model
  std::vector<std::string> FChanges;
  std::vector<std::string> FWarnings;
  int FDefaults = 0;  // named defaults used so far
  // The steps of each kind, in the order they run.
  TSteps FDropKeys, FEarlyDrops, FTableRenames, FRenames, FAddTables, FAddColumns, FChangeColumns, FDropColumns,
      FDropTables, FAddKeys;
};

}  // namespace

TUpgradeScript BuildUpgradeScript(const TProjectModel& from, const TProjectModel& to, const TUpgradeOptions& options,
                                  const TTemplateSet& templates) {
  RefuseUnsafeProject(to);
  RefuseUnsafeProject(from);
  return TUpgradeBuilder(from, to, options, templates).Build();
}
