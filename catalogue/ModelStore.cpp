#include "catalogue/ModelStore.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <set>
#include <string_view>
#include <unordered_map>

#include "catalogue/DbHelper.h"
#include "model/ClassIndex.h"

namespace {

// The positions of the t_member columns in the member rows, found once per read.
struct TMemberColumns {
  explicit TMemberColumns(const TDbRow& row)
      : memberId(row.ColumnIndex("memberId")),
        projectId(row.ColumnIndex("projectId")),
        classId(row.ColumnIndex("classId")),
        memberName(row.ColumnIndex("memberName")),
        memberType(row.ColumnIndex("memberType")),
        memberLength(row.ColumnIndex("memberLength")),
        memberIsPri(row.ColumnIndex("memberIsPri")),
        memberComment(row.ColumnIndex("memberComment")),
        memberIsMust(row.ColumnIndex("memberIsMust")),
        memberIsInteger(row.ColumnIndex("memberIsInteger")),
        memberIsFloat(row.ColumnIndex("memberIsFloat")),
        queryFlag(row.ColumnIndex("queryFlag")),
        memberIsDisplay(row.ColumnIndex("memberIsDisplay")),
        memberQueryDisplay(row.ColumnIndex("memberQueryDisplay")) {}

  int memberId, projectId, classId, memberName, memberType, memberLength, memberIsPri, memberComment, memberIsMust,
      memberIsInteger, memberIsFloat, queryFlag, memberIsDisplay, memberQueryDisplay;
};

// classId: the row's class id, read already.
void ReadMember(const TDbRow& row, const TMemberColumns& column, int classId, const std::string& className,
                TMember& member) {
  member.SetMemberId(row.Integer(column.memberId));
  member.SetProjectId(row.Integer(column.projectId));
  member.SetClassId(classId);
  member.SetMemberName(row.Text(column.memberName));
  member.SetMemberType(row.Text(column.memberType));
  try {
    member.SetMemberLength(row.Integer(column.memberLength));
  } catch (const TDbError&) {
    throw TDbError("类“" + className + "”的成员“" + member.GetMemberName() + "”的长度“" +
                   row.Text(column.memberLength) + "”不是整数");
  }
  member.SetMemberIsPri(row.Integer(column.memberIsPri));
  member.SetMemberComment(row.Text(column.memberComment));
  member.SetMemberIsMust(row.Integer(column.memberIsMust));
  member.SetMemberIsInteger(row.Integer(column.memberIsInteger));
  member.SetMemberIsFloat(row.Integer(column.memberIsFloat));
  member.SetQueryFlag(row.Integer(column.queryFlag));
  member.SetMemberIsDisplay(row.Integer(column.memberIsDisplay));
  member.SetMemberQueryDisplay(row.Integer(column.memberQueryDisplay));
}

std::string Int(int value) {
  return std::to_string(value);
}

// Members go in with one statement per class and at most this many rows per statement: few statements for a
// large project, none too long for the engine.
constexpr std::size_t kMembersPerInsert = 200;

// Inserts the model's classes and members under the project; the caller holds the write transaction.
void InsertClasses(TDbHelper& db, int projectId, const TProjectModel& project) {
  const std::string projectText = Int(projectId);
  for (const TClassModel& entry : project.classes) {
    db.ExecSql("insert into t_class(projectId,className,friendName) values (" + projectText + "," +
               TDbHelper::Quote(entry.className) + "," + TDbHelper::Quote(entry.friendName) + ")");
    const std::string classText = Int(db.LastInsertId());
    for (std::size_t first = 0; first < entry.members.size(); first += kMembersPerInsert) {
      std::string sql =
          "insert into t_member(projectId,classId,memberName,memberType,memberLength,memberIsPri,memberComment,"
          "memberIsMust,memberIsInteger,memberIsFloat,queryFlag,memberIsDisplay,memberQueryDisplay) values ";
      const std::size_t last = std::min(entry.members.size(), first + kMembersPerInsert);
      for (std::size_t i = first; i < last; ++i) {
        const TMember& m = entry.members[i];
        if (i > first) sql += ",";
        sql += "(" + projectText + "," + classText + "," + TDbHelper::Quote(m.GetMemberName()) + "," +
               TDbHelper::Quote(m.GetMemberType()) + "," + Int(m.GetMemberLength()) + "," + Int(m.GetMemberIsPri()) +
               "," + TDbHelper::Quote(m.GetMemberComment()) + "," + Int(m.GetMemberIsMust()) + "," +
               Int(m.GetMemberIsInteger()) + "," + Int(m.GetMemberIsFloat()) + "," + Int(m.GetQueryFlag()) + "," +
               Int(m.GetMemberIsDisplay()) + "," + Int(m.GetMemberQueryDisplay()) + ")";
      }
      db.ExecSql(sql);
    }
  }
}

// Reads the project row into project. With allClasses, also counts the catalogue's classes, of every
// project, into it (a pass over the class table, for a reader of the whole project only).
void LoadProjectRow(TDbHelper& db, int projectId, TProjectModel& project, int* allClasses = nullptr) {
  const std::string id = std::to_string(projectId);
  bool found = false;
  const std::string count = allClasses != nullptr ? ",(select count(*) from t_class) as classCount" : "";
  db.ForEachRow("select projectId,projectName" + count + " from t_project where projectId=" + id,
                [&](const TDbRow& row) {
                  if (found) return;
                  found = true;
                  project.projectName = row.Text(row.ColumnIndex("projectName"));
                  if (allClasses != nullptr) *allClasses = row.Integer(row.ColumnIndex("classCount"));
                });
  if (!found) throw TDbError("工程（编号" + id + "）不存在");
  project.projectId = projectId;
}

// Appends the class rows (without members) the condition selects, in catalogue order.
void LoadClassRows(TDbHelper& db, const std::string& condition, TProjectModel& project) {
  // The rows are read one at a time into the model: a project of many thousand classes
  // is held once, never a second time as a result set.
  int classIdColumn = -1;
  int classNameColumn = -1;
  int friendNameColumn = -1;
  db.ForEachRow("select classId,className,friendName from t_class where " + condition, [&](const TDbRow& row) {
    if (classIdColumn < 0) {
      classIdColumn = row.ColumnIndex("classId");
      classNameColumn = row.ColumnIndex("className");
      friendNameColumn = row.ColumnIndex("friendName");
    }
    TClassModel entry;
    entry.classId = row.Integer(classIdColumn);
    entry.className = row.Text(classNameColumn);
    entry.friendName = row.Text(friendNameColumn);
    project.classes.push_back(std::move(entry));
  });
}

// Where each class of the model is, by id.
std::unordered_map<int, std::size_t> IndexOf(const TProjectModel& project) {
  std::unordered_map<int, std::size_t> classIndex;
  for (std::size_t i = 0; i < project.classes.size(); ++i) classIndex.emplace(project.classes[i].classId, i);
  return classIndex;
}

// Reads the project row and its classes (without members) into project; returns the class index by id and
// sets allClasses to the number of classes in the catalogue.
std::unordered_map<int, std::size_t> LoadClasses(TDbHelper& db, int projectId, TProjectModel& project,
                                                 int& allClasses) {
  LoadProjectRow(db, projectId, project, &allClasses);
  LoadClassRows(db, "projectId=" + std::to_string(projectId), project);
  project.classes.shrink_to_fit();
  return IndexOf(project);
}

// Reads the member rows the condition selects into the classes they belong to; rows of other classes are
// passed over.
void LoadMembers(TDbHelper& db, const std::string& condition, const std::unordered_map<int, std::size_t>& classIndex,
                 TProjectModel& project) {
  // Rows come grouped by class (the t_member(classId) index) or in id order (a pass over the table), and
  // within one class in id order either way, the order of every per-class member query: rows are only
  // grouped here, never reordered.
  std::unique_ptr<TMemberColumns> columns;
  TClassModel* previous = nullptr;
  // The classes whose growth room was given back when the rows went on to another class: a class whose
  // rows come in several runs keeps it after the first, so that giving it back never costs more than once.
  std::vector<bool> trimmed(project.classes.size());
  db.ForEachRow("select * from t_member" + condition, [&](const TDbRow& row) {
    if (!columns) columns = std::make_unique<TMemberColumns>(row);
    // A class id is an integer: a row that holds anything else (text, a real) belongs to no class.
    int classId = 0;
    if (!row.StoredInteger(columns->classId, classId)) return;
    const auto owner = classIndex.find(classId);
    if (owner == classIndex.end()) return;
    TClassModel& entry = project.classes[owner->second];
    if (previous != nullptr && previous != &entry) {
      const auto at = static_cast<std::size_t>(previous - project.classes.data());
      if (!trimmed[at]) previous->members.shrink_to_fit();
      trimmed[at] = true;
    }
    // Classes tend to have alike numbers of members: room for as many as the class before had saves most of
    // the growing of each class's list (what is left over goes when the rows go on to another class).
    if (entry.members.empty() && previous != nullptr) entry.members.reserve(previous->members.size());
    previous = &entry;
    entry.members.emplace_back();
    ReadMember(row, *columns, classId, entry.className, entry.members.back());
  });
  if (previous != nullptr) previous->members.shrink_to_fit();
}

bool ByClassId(const TClassModel& a, const TClassModel& b) {
  return a.classId < b.classId;
}

// A print of a name as the catalogue's NOCASE comparison sees it: that comparison folds ASCII letters only,
// stops at a NUL byte and then compares the lengths. Names it calls equal have equal prints; different
// names that share a print only cost a row that SQL then compares and passes over.
// Each byte as the NOCASE comparison sees it: ASCII letters folded to lower case, every other byte itself.
constexpr std::array<unsigned char, 256> kFolded = [] {
  std::array<unsigned char, 256> table{};
  for (int c = 0; c < 256; ++c) table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c);
  for (int c = 'A'; c <= 'Z'; ++c) table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c - 'A' + 'a');
  return table;
}();

std::uint64_t PrintOf(std::string_view name) {
  std::uint64_t print = 14695981039346656037ULL;  // FNV-1a
  for (const char c : name) {
    const unsigned char byte = kFolded[static_cast<unsigned char>(c)];
    if (byte == 0) break;
    print = (print ^ byte) * 1099511628211ULL;
  }
  return print ^ (name.size() * 0x9E3779B97F4A7C15ULL);
}

// One class row's id and the print of its name. A name not stored as text (a number, a blob, NULL) may still
// be one SQL calls equal to a name: it gets print 0, which every name matches (a true print of 0 only costs
// one more row for SQL to compare).
struct TNamePrint {
  long long classId = 0;
  std::uint64_t print = 0;
};
constexpr std::uint64_t kAnyName = 0;

// The print of every class name in the catalogue, in catalogue order. Rows of other projects are kept too:
// telling them apart here would cost a column more per row, and SQL passes them over.
std::vector<TNamePrint> ReadNamePrints(TDbHelper& db, int rows) {
  // Room for every row at once: growing by doubling would copy the prints of a large catalogue twice over.
  std::vector<TNamePrint> prints;
  prints.reserve(static_cast<std::size_t>(std::max(rows, 0)));
  db.ForEachKeyAndText("classId", "className", "t_class", [&prints](long long classId, const std::string_view* name) {
    prints.push_back({classId, name != nullptr ? PrintOf(*name) : kAnyName});
  });
  return prints;
}

}  // namespace

TProjectModel TModelStore::LoadProject(int projectId) {
  TDbHelper db;
  TDbReadTransaction snapshot;
  TProjectModel project;
  int allClasses = 0;
  const std::unordered_map<int, std::size_t> classIndex = LoadClasses(db, projectId, project, allClasses);
  // One pass over the whole member table costs about four fifths of finding the project's rows through the
  // classId index (a look-up in the index and one in the table for each row): it is taken when the project
  // holds at least four fifths of the catalogue's classes, as it does in the usual catalogue of one project.
  const bool wholeTable = project.classes.size() * 5 >= static_cast<std::size_t>(allClasses) * 4;
  LoadMembers(db,
              wholeTable ? std::string()
                         : " where classId in (select classId from t_class where projectId=" + Int(projectId) + ")",
              classIndex, project);
  return project;
}

TProjectModel TModelStore::LoadClassesOf(int projectId) {
  TDbHelper db;
  TDbReadTransaction snapshot;
  TProjectModel project;
  LoadProjectRow(db, projectId, project);
  LoadClassRows(db, "projectId=" + Int(projectId), project);
  return project;
}

TProjectModel TModelStore::LoadClassOf(int projectId, const std::string& className) {
  TDbHelper db;
  TDbReadTransaction snapshot;
  TProjectModel project;
  const std::string id = Int(projectId);
  int allClasses = 0;
  LoadProjectRow(db, projectId, project, &allClasses);
  // No index finds a class by name, and the class's members must be read before the names of the classes
  // they refer to are known: one pass over the class table keeps every name's print, so that each name
  // asked for then costs look-ups by id instead of a second pass.
  const std::vector<TNamePrint> prints = ReadNamePrints(db, allClasses);
  // Classes are found as the class index finds them, without regard to ASCII case: every class whose name
  // folds to one asked for is read, so that the first of them in catalogue order is the one found. The
  // prints only choose the rows; SQL compares the names.
  const auto readClasses = [&](const std::vector<std::string>& names) {
    std::vector<std::uint64_t> wanted;
    std::string quoted;
    // One bit for each print's low six bits (and the one of print 0, which every name matches): most rows are
    // passed over on that bit alone, without a search of the prints wanted.
    std::uint64_t mayMatch = std::uint64_t{1} << (kAnyName & 63);
    for (const std::string& name : names) {
      wanted.push_back(PrintOf(name));
      mayMatch |= std::uint64_t{1} << (wanted.back() & 63);
      quoted += (quoted.empty() ? "" : ",") + TDbHelper::Quote(name);
    }
    std::string ids;
    for (const TNamePrint& row : prints) {
      if ((mayMatch >> (row.print & 63) & 1) == 0) continue;
      if (row.print != kAnyName && std::find(wanted.begin(), wanted.end(), row.print) == wanted.end()) continue;
      const auto sameId = [&row](const TClassModel& entry) { return entry.classId == row.classId; };
      if (std::none_of(project.classes.begin(), project.classes.end(), sameId))
        ids += (ids.empty() ? "" : ",") + std::to_string(row.classId);
    }
    if (ids.empty()) return;
    const std::size_t before = project.classes.size();
    // "+projectId": the ids find the rows; the project's index would mean a pass over all of its classes.
    LoadClassRows(db,
                  "classId in (" + ids + ") and +projectId=" + id + " and className collate nocase in (" + quoted + ")",
                  project);
    std::sort(project.classes.begin() + static_cast<std::ptrdiff_t>(before), project.classes.end(), ByClassId);
  };
  readClasses({className});
  const auto wanted = std::find_if(project.classes.begin(), project.classes.end(),
                                   [&className](const TClassModel& entry) { return entry.className == className; });
  if (wanted == project.classes.end()) return project;
  const int wantedId = wanted->classId;
  LoadMembers(db, " where classId=" + Int(wantedId), IndexOf(project), project);

  // The classes the members' types name, with their members, for their keys and display members.
  std::set<std::string> types;
  for (const TClassModel& entry : project.classes)
    if (entry.classId == wantedId)
      for (const TMember& member : entry.members)
        if (!MemberTypes::IsBuiltIn(member.GetMemberType())) types.insert(member.GetMemberType());
  const TClassIndex known(project);
  std::vector<std::string> names;
  for (const std::string& type : types)
    if (known.Find(type) == nullptr) names.push_back(type);
  if (names.empty()) return project;
  const std::size_t before = project.classes.size();
  readClasses(names);
  if (project.classes.size() == before) return project;
  std::string ids;
  for (std::size_t i = before; i < project.classes.size(); ++i)
    ids += (ids.empty() ? "" : ",") + Int(project.classes[i].classId);
  LoadMembers(db, " where classId in (" + ids + ")", IndexOf(project), project);
  // In catalogue order, as a whole project's classes are.
  std::stable_sort(project.classes.begin(), project.classes.end(), ByClassId);
  return project;
}

int TModelStore::FindProjectByName(const std::string& projectName) {
  return TDbHelper().GetScalarInt("select projectId from t_project where projectName=" + TDbHelper::Quote(projectName));
}

int TModelStore::AddProject(const TProjectModel& project) {
  TDbHelper db;
  TDbWriteTransaction transaction;
  db.ExecSql("insert into t_project(projectName) values (" + TDbHelper::Quote(project.projectName) + ")");
  const int projectId = db.LastInsertId();
  InsertClasses(db, projectId, project);
  transaction.Commit();
  return projectId;
}

void TModelStore::ReplaceProject(int projectId, const TProjectModel& project) {
  TDbHelper db;
  TDbWriteTransaction transaction;
  const std::string id = Int(projectId);
  if (db.GetScalarInt("select count(*) from t_project where projectId=" + id) <= 0)
    throw TDbError("工程（编号" + id + "）不存在");
  // Members are reached both ways, so none is left behind that nothing shows any more.
  db.ExecSql("delete from t_member where projectId=" + id +
             " or classId in (select classId from t_class where projectId=" + id + ")");
  db.ExecSql("delete from t_class where projectId=" + id);
  InsertClasses(db, projectId, project);
  transaction.Commit();
}
