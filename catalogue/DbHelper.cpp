#include "catalogue/DbHelper.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstring>
#include <exception>
#include <mutex>
#include <set>
#include <thread>

namespace {

struct TStatementDeleter {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using TStatement = std::unique_ptr<sqlite3_stmt, TStatementDeleter>;

// How long an operation waits for another connection's lock before it fails.
constexpr int kBusyTimeoutMs = 5000;

std::mutex gSettingsMutex;
std::string gCatalogueFile = "projects.mdb";
TDbHelper::TStatementObserver gObserver;

// The calling thread's connection and the catalogue file it was opened on.
struct TThreadConnection {
  sqlite3* db = nullptr;
  std::string path;

  ~TThreadConnection() { Close(); }
  void Close() {
    if (db != nullptr) sqlite3_close_v2(db);
    db = nullptr;
    path.clear();
  }
};
thread_local TThreadConnection tConnection;

// Columns the program reads and writes, table by table. A catalogue made by any
// tool must have at least these.
struct TTableColumns {
  const char* table;
  std::vector<const char*> columns;
};
const std::vector<TTableColumns>& RequiredColumns() {
  static const std::vector<TTableColumns> required = {
      {"t_project", {"projectId", "projectName"}},
      {"t_class", {"classId", "projectId", "className", "friendName"}},
      {"t_member",
       {"memberId", "projectId", "classId", "memberName", "memberType", "memberLength", "memberIsPri", "memberComment",
        "memberIsMust", "memberIsInteger", "memberIsFloat", "queryFlag", "memberIsDisplay", "memberQueryDisplay"}},
  };
  return required;
}

// Name columns compare without regard to ASCII case, as SQL Server and the file
// system of the generated site do.
const char* const kCreateSchema =
    "CREATE TABLE t_project ("
    "projectId INTEGER PRIMARY KEY AUTOINCREMENT, "
    "projectName TEXT COLLATE NOCASE);"
    "CREATE TABLE t_class ("
    "classId INTEGER PRIMARY KEY AUTOINCREMENT, "
    "projectId INTEGER, "
    "className TEXT COLLATE NOCASE, "
    "friendName TEXT);"
    "CREATE TABLE t_member ("
    "memberId INTEGER PRIMARY KEY AUTOINCREMENT, "
    "projectId INTEGER, "
    "classId INTEGER, "
    "memberName TEXT COLLATE NOCASE, "
    "memberType TEXT COLLATE NOCASE, "
    "memberLength INTEGER, "
    "memberIsPri INTEGER, "
    "memberComment TEXT, "
    "memberIsMust INTEGER, "
    "memberIsInteger INTEGER, "
    "memberIsFloat INTEGER, "
    "queryFlag INTEGER, "
    "memberIsDisplay INTEGER, "
    "memberQueryDisplay INTEGER);";

// Indexes on the searched id alone keep rows in id order within a search, the
// order every list and generated file relies on.
const char* const kCreateIndexes =
    "CREATE INDEX IF NOT EXISTS ix_t_class_projectId ON t_class(projectId);"
    "CREATE INDEX IF NOT EXISTS ix_t_member_classId ON t_member(classId);";

std::string Quoted(const std::string& path) {
  return "“" + path + "”";
}

[[noreturn]] void ThrowEngineError(sqlite3* db) {
  throw TDbError(sqlite3_errmsg(db));
}

void Exec(sqlite3* db, const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message != nullptr ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    throw TDbError(text);
  }
}

TStatement Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK)
    ThrowEngineError(db);
  return TStatement(raw);
}

void Notify(const std::string& sql) {
  TDbHelper::TStatementObserver observer;
  {
    std::lock_guard<std::mutex> lock(gSettingsMutex);
    observer = gObserver;
  }
  if (observer) observer(sql);
}

// The aggregate function a ForEachKeyAndText pass calls once per row, and what it calls back.
constexpr const char* kKeyTextFunction = "corvanthel_key_text";
struct TKeyTextPass {
  TDbHelper::TKeyTextStep step;
  void* visitor;
  std::exception_ptr failure;
};

void KeyTextStep(sqlite3_context* context, int, sqlite3_value** values) {
  auto* pass = static_cast<TKeyTextPass*>(sqlite3_user_data(context));
  const long long key = sqlite3_value_int64(values[0]);
  try {
    if (sqlite3_value_type(values[1]) != SQLITE_TEXT) {
      pass->step(pass->visitor, key, nullptr);
      return;
    }
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(values[1]));
    const std::string_view text(bytes != nullptr ? bytes : "",
                                static_cast<std::size_t>(sqlite3_value_bytes(values[1])));
    pass->step(pass->visitor, key, &text);
  } catch (...) {
    // The engine's frames cannot pass an exception on: it is kept, the pass is stopped with an error, and
    // the exception is raised again once the statement is done.
    pass->failure = std::current_exception();
    sqlite3_result_error(context, "interrupted", -1);
  }
}

void KeyTextFinal(sqlite3_context*) {}

// Registers the pass's function on the connection for as long as it lives: the function points at a pass
// on the stack, so it must not outlive it.
class TKeyTextFunction {
 public:
  TKeyTextFunction(sqlite3* db, TKeyTextPass& pass) : FDb(db) {
    // SQLITE_DIRECTONLY: a view or trigger stored in the catalogue cannot call it.
    if (sqlite3_create_function_v2(db, kKeyTextFunction, 2, SQLITE_UTF8 | SQLITE_DIRECTONLY, &pass, nullptr,
                                   KeyTextStep, KeyTextFinal, nullptr) != SQLITE_OK)
      ThrowEngineError(db);
  }
  ~TKeyTextFunction() {
    sqlite3_create_function_v2(FDb, kKeyTextFunction, 2, SQLITE_UTF8, nullptr, nullptr, nullptr, nullptr, nullptr);
  }
  TKeyTextFunction(const TKeyTextFunction&) = delete;
  TKeyTextFunction& operator=(const TKeyTextFunction&) = delete;

 private:
  sqlite3* FDb;
};

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

// Builds an empty catalogue under a temporary name and links it into place, so
// that a failed creation leaves nothing behind and two threads cannot both create.
// The new file is already in write-ahead-log mode with its indexes: no opener has
// to change it. Switching the journal mode needs the file to itself and SQLite
// does not wait for that, so with eight processes opening a new catalogue at once
// (each reading it while another tries to switch it) one could run out of time.
void CreateCatalogue(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const std::string temporary =
      path + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(temporary.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  try {
    if (rc != SQLITE_OK) ThrowEngineError(db);
    Exec(db, "BEGIN");
    Exec(db, kCreateSchema);
    Exec(db, kCreateIndexes);
    Exec(db, "COMMIT");
    Exec(db, "PRAGMA journal_mode=WAL");
  } catch (const TDbError& error) {
    sqlite3_close_v2(db);
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) ::unlink((temporary + suffix).c_str());
    throw TDbError("无法创建目录文件" + Quoted(path) + "：" + error.what());
  }
  sqlite3_close_v2(db);
  if (::link(temporary.c_str(), path.c_str()) != 0 && errno != EEXIST) {
    // Some file systems have no hard links; a plain rename does there.
    if (FileExists(path) || ::rename(temporary.c_str(), path.c_str()) != 0) {
      const int error = errno;
      ::unlink(temporary.c_str());
      if (FileExists(path)) return;
      throw TDbError("无法创建目录文件" + Quoted(path) + "：" + std::strerror(error));
    }
    return;
  }
  ::unlink(temporary.c_str());
}

// Refuses files that are not SQLite databases before the engine reads them. The
// header is read through the connection's own file handle: opening and closing the
// file a second time would drop every POSIX lock this process holds on it (SQLite's
// included), and another process would then take the catalogue for unused.
void CheckFileHeader(sqlite3* db, const std::string& path) {
  sqlite3_file* file = nullptr;
  if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || file == nullptr ||
      file->pMethods == nullptr)
    return;  // nothing to read through; the engine's own check names a foreign file
  sqlite3_int64 size = 0;
  if (file->pMethods->xFileSize(file, &size) != SQLITE_OK)
    throw TDbError("无法读取目录文件" + Quoted(path) + "：" + sqlite3_errstr(SQLITE_IOERR));
  if (size == 0) return;  // an empty file is an empty SQLite database; the table check names it
  char header[64] = {};
  const int rc = file->pMethods->xRead(file, header, sizeof header, 0);
  if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ)
    throw TDbError("无法读取目录文件" + Quoted(path) + "：" + sqlite3_errstr(rc));
  const std::string head(header, static_cast<std::size_t>(std::min<sqlite3_int64>(size, sizeof header)));
  if (head.compare(0, 16, std::string("SQLite format 3\0", 16)) == 0) return;
  if (head.find("Standard Jet DB") != std::string::npos || head.find("Standard ACE DB") != std::string::npos)
    throw TDbError("目录文件" + Quoted(path) +
                   "是Access数据库，本程序不能直接打开Access数据库；请使用SQLite格式的目录文件，"
                   "或删除该文件后由程序新建一个空目录。");
  throw TDbError("目录文件" + Quoted(path) + "不是SQLite数据库文件，无法作为工程目录使用。");
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Checks, without writing anything, that the file holds the three catalogue tables
// (tables, not views) with their columns.
void CheckSchema(sqlite3* db, const std::string& path) {
  for (const TTableColumns& table : RequiredColumns()) {
    TStatement kind =
        Prepare(db, std::string("select type from sqlite_master where name = '") + table.table + "' collate nocase");
    const int kindRc = sqlite3_step(kind.get());
    if (kindRc != SQLITE_ROW && kindRc != SQLITE_DONE) ThrowEngineError(db);
    if (kindRc == SQLITE_ROW && Lower(reinterpret_cast<const char*>(sqlite3_column_text(kind.get(), 0))) != "table")
      throw TDbError("目录文件" + Quoted(path) + "中的" + table.table + "不是数据表，不是本程序的工程目录。");
    std::set<std::string> present;
    TStatement statement = Prepare(db, std::string("PRAGMA table_info(") + table.table + ")");
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW)
      present.insert(Lower(reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 1))));
    if (rc != SQLITE_DONE) ThrowEngineError(db);
    if (present.empty())
      throw TDbError("目录文件" + Quoted(path) + "缺少表" + table.table + "，不是本程序的工程目录。");
    for (const char* column : table.columns) {
      if (present.count(Lower(column)) == 0)
        throw TDbError("目录文件" + Quoted(path) + "的表" + table.table + "缺少列" + column +
                       "，不是本程序的工程目录。");
    }
  }
}

// The first column of the first row as text; empty when there is none.
std::string ScalarText(sqlite3* db, const std::string& sql) {
  TStatement statement = Prepare(db, sql);
  const int rc = sqlite3_step(statement.get());
  if (rc == SQLITE_DONE) return std::string();
  if (rc != SQLITE_ROW) ThrowEngineError(db);
  const unsigned char* text = sqlite3_column_text(statement.get(), 0);
  return text != nullptr ? reinterpret_cast<const char*>(text) : std::string();
}

// The only changes the program makes to a catalogue it opens, made after every check
// has passed and only where needed: the missing indexes, then write-ahead logging.
void PrepareForUse(sqlite3* db) {
  if (ScalarText(db,
                 "select count(*) from sqlite_master where type = 'index' and name in "
                 "('ix_t_class_projectId', 'ix_t_member_classId')") != "2")
    Exec(db, kCreateIndexes);
  if (Lower(ScalarText(db, "PRAGMA journal_mode")) != "wal") Exec(db, "PRAGMA journal_mode=WAL");
}

// PrepareForUse within the busy timeout. SQLite skips the busy handler where waiting
// could deadlock (switching the journal mode while another process holds a write
// lock), so a busy catalogue is tried again here until the timeout has passed.
void PrepareForUseWhenFree(sqlite3* db) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
  for (;;) {
    try {
      PrepareForUse(db);
      return;
    } catch (const TDbError&) {
      const int code = sqlite3_errcode(db) & 0xff;
      if ((code != SQLITE_BUSY && code != SQLITE_LOCKED) || std::chrono::steady_clock::now() >= deadline) throw;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool CanWriteFolderOf(const std::string& path) {
  return ::faccessat(AT_FDCWD, FolderOf(path).c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

// Whether this process may change the file and create the journal files beside it;
// a catalogue that it may not is opened read-only and still serves every read.
bool CanWrite(const std::string& path) {
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 && CanWriteFolderOf(path);
}

// How a read-only catalogue is opened. In a folder where no -shm file can be made
// and no -wal file is left (every change is in the file itself), SQLite can read a
// WAL catalogue only as an unchanging file; otherwise it opens read-only as usual.
std::string ReadOnlyUri(const std::string& path) {
  std::string uri = "file:";
  for (unsigned char c : path) {
    if (c == '%' || c == '?' || c == '#' || c < 0x20) {
      const char* digits = "0123456789ABCDEF";
      uri += '%';
      uri += digits[c >> 4];
      uri += digits[c & 15];
    } else {
      uri += static_cast<char>(c);
    }
  }
  uri += "?mode=ro";
  if (!CanWriteFolderOf(path) && !FileExists(path + "-wal")) uri += "&immutable=1";
  return uri;
}

sqlite3* OpenCatalogue(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode))
      throw TDbError("目录文件" + Quoted(path) + "是一个文件夹，不是SQLite数据库文件，无法作为工程目录使用。");
  } else {
    const std::string folder = FolderOf(path);
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode))
      throw TDbError("无法创建目录文件" + Quoted(path) + "：文件夹" + Quoted(folder) + "不存在。");
    if (!CanWriteFolderOf(path))
      throw TDbError("无法创建目录文件" + Quoted(path) + "：" + std::strerror(errno != 0 ? errno : EACCES));
    CreateCatalogue(path);
  }
  const bool readOnly = !CanWrite(path);
  sqlite3* db = nullptr;
  const int flags = readOnly ? SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX
                             : SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
  const std::string name = readOnly ? ReadOnlyUri(path) : path;
  if (sqlite3_open_v2(name.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    const std::string message = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close_v2(db);
    throw TDbError("无法打开目录文件" + Quoted(path) + "：" + message);
  }
  try {
    // Before the first statement: a catalogue another process is writing is waited for.
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    CheckFileHeader(db, path);
    CheckSchema(db, path);
    if (!readOnly) PrepareForUseWhenFree(db);
  } catch (const TDbError& error) {
    sqlite3_close_v2(db);
    const std::string text = error.what();
    if (text.find(Quoted(path)) != std::string::npos) throw;
    throw TDbError("无法打开目录文件" + Quoted(path) + "：" + text);
  }
  return db;
}

// Refuses a change to a catalogue opened read-only with a message that says so,
// instead of the engine's "attempt to write a readonly database".
void RefuseWriteIfReadOnly(sqlite3* db) {
  if (sqlite3_db_readonly(db, "main") != 1) return;
  const char* file = sqlite3_db_filename(db, "main");
  throw TDbError("目录文件" + Quoted(tConnection.db == db ? tConnection.path : std::string(file ? file : "")) +
                 "是只读的，无法保存修改。");
}

std::unique_ptr<TDbQuery> ReadAll(sqlite3* db, const std::string& sql) {
  TStatement statement = Prepare(db, sql);
  std::vector<std::string> columns;
  const int count = sqlite3_column_count(statement.get());
  for (int i = 0; i < count; ++i) columns.emplace_back(sqlite3_column_name(statement.get(), i));
  std::vector<std::vector<TDbField>> rows;
  int rc;
  while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
    std::vector<TDbField> row;
    row.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      const bool isNull = sqlite3_column_type(statement.get(), i) == SQLITE_NULL;
      const unsigned char* text = sqlite3_column_text(statement.get(), i);
      const int size = sqlite3_column_bytes(statement.get(), i);
      row.emplace_back(columns[static_cast<std::size_t>(i)],
                       text != nullptr
                           ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size))
                           : std::string(),
                       isNull);
    }
    rows.push_back(std::move(row));
  }
  if (rc != SQLITE_DONE) ThrowEngineError(db);
  return std::make_unique<TDbQuery>(std::move(columns), std::move(rows));
}

void Run(sqlite3* db, const std::string& sql) {
  TStatement statement = Prepare(db, sql);
  if (!sqlite3_stmt_readonly(statement.get())) RefuseWriteIfReadOnly(db);
  int rc;
  while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) ThrowEngineError(db);
}

}  // namespace

TDbField::TDbField(std::string name, std::string text, bool isNull)
    : FName(std::move(name)), FText(std::move(text)), FIsNull(isNull) {}

namespace {

// A decimal integer between optional blanks, with an optional plus sign.
bool ParseInteger(const std::string& text, int& value) {
  const std::size_t begin = text.find_first_not_of(' ');
  const std::size_t end = text.find_last_not_of(' ');
  if (begin == std::string::npos) return false;
  const char* first = text.data() + begin;
  const char* last = text.data() + end + 1;
  if (*first == '+') ++first;
  const auto result = std::from_chars(first, last, value);
  return result.ec == std::errc() && result.ptr == last;
}

[[noreturn]] void ThrowNoInteger(const std::string& text, const std::string& field) {
  throw TDbError("'" + text + "' is not a valid integer value for field '" + field + "'");
}

}  // namespace

int TDbField::AsInteger() const {
  if (FIsNull) return 0;
  int value = 0;
  if (ParseInteger(FText, value)) return value;
  ThrowNoInteger(FText, FName);
}

int TDbRow::ColumnIndex(const std::string& name) const {
  auto* statement = static_cast<sqlite3_stmt*>(FStatement);
  const int count = sqlite3_column_count(statement);
  for (int i = 0; i < count; ++i)
    if (strcasecmp(sqlite3_column_name(statement, i), name.c_str()) == 0) return i;
  throw TDbError("Field '" + name + "' not found");
}

std::string TDbRow::Text(int index) const {
  // One look at the column's value serves both the text and its length (each column call costs as much).
  sqlite3_value* column = sqlite3_column_value(static_cast<sqlite3_stmt*>(FStatement), index);
  const unsigned char* text = sqlite3_value_text(column);
  if (text == nullptr) return std::string();
  return std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_value_bytes(column)));
}

int TDbRow::Integer(int index) const {
  auto* statement = static_cast<sqlite3_stmt*>(FStatement);
  // One look at the column's value serves both questions (each column call of its own costs as much).
  sqlite3_value* column = sqlite3_column_value(statement, index);
  switch (sqlite3_value_type(column)) {
    case SQLITE_NULL:
      return 0;
    case SQLITE_INTEGER: {
      // Most values are stored as integers: take them without a round trip through text.
      const sqlite3_int64 value = sqlite3_value_int64(column);
      if (value >= INT_MIN && value <= INT_MAX) return static_cast<int>(value);
      break;
    }
    default:
      break;
  }
  const std::string text = Text(index);
  int value = 0;
  if (ParseInteger(text, value)) return value;
  ThrowNoInteger(text, sqlite3_column_name(statement, index));
}

bool TDbRow::StoredInteger(int index, int& value) const {
  sqlite3_value* column = sqlite3_column_value(static_cast<sqlite3_stmt*>(FStatement), index);
  if (sqlite3_value_type(column) != SQLITE_INTEGER) return false;
  const sqlite3_int64 stored = sqlite3_value_int64(column);
  if (stored < INT_MIN || stored > INT_MAX) return false;
  value = static_cast<int>(stored);
  return true;
}

TDbQuery::TDbQuery(std::vector<std::string> columns, std::vector<std::vector<TDbField>> rows)
    : FColumns(std::move(columns)), FRows(std::move(rows)) {}

const TDbField& TDbQuery::FieldByName(const std::string& name) const {
  for (std::size_t i = 0; i < FColumns.size(); ++i)
    if (strcasecmp(FColumns[i].c_str(), name.c_str()) == 0) return Fields(static_cast<int>(i));
  throw TDbError("Field '" + name + "' not found");
}

const TDbField& TDbQuery::Fields(int index) const {
  if (Eof()) throw TDbError("Cannot read a field: the result set is at its end");
  if (index < 0 || index >= FieldCount()) throw TDbError("Field index out of range");
  return FRows[FRow][static_cast<std::size_t>(index)];
}

TDbHelper::TDbHelper() : FConnectionString(CatalogueFile()) {}

void TDbHelper::SetCatalogueFile(const std::string& path) {
  std::lock_guard<std::mutex> lock(gSettingsMutex);
  gCatalogueFile = path;
}

std::string TDbHelper::CatalogueFile() {
  std::lock_guard<std::mutex> lock(gSettingsMutex);
  return gCatalogueFile;
}

void TDbHelper::SetStatementObserver(TStatementObserver observer) {
  std::lock_guard<std::mutex> lock(gSettingsMutex);
  gObserver = std::move(observer);
}

std::string TDbHelper::Quote(const std::string& value) {
  std::string quoted = "'";
  for (char c : value) {
    // The engine reads a statement's text only up to a NUL byte: one in a value goes in as char(0) between
    // quoted parts, which keeps the bytes in any database encoding.
    if (c == '\0') {
      quoted += "'||char(0)||'";
      continue;
    }
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

sqlite3* TDbHelper::GetConnection() {
  // The catalogue may have been moved since this helper was made (tests, --dir).
  FConnectionString = CatalogueFile();
  if (tConnection.db != nullptr && tConnection.path == FConnectionString) return tConnection.db;
  tConnection.Close();
  // Only a connection that opened is kept: after a failure the next call tries again.
  tConnection.db = OpenCatalogue(FConnectionString);
  tConnection.path = FConnectionString;
  return tConnection.db;
}

std::unique_ptr<TDbQuery> TDbHelper::OpenQuery(const std::string& sql) {
  sqlite3* db = GetConnection();
  Notify(sql);
  return ReadAll(db, sql);
}

void TDbHelper::ForEachRow(const std::string& sql, const std::function<void(const TDbRow& row)>& onRow) {
  sqlite3* db = GetConnection();
  Notify(sql);
  TStatement statement = Prepare(db, sql);
  const TDbRow row(statement.get());
  int rc;
  while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) onRow(row);
  if (rc != SQLITE_DONE) ThrowEngineError(db);
}

void TDbHelper::ForEachKeyAndText(const std::string& key, const std::string& text, const std::string& from,
                                  TKeyTextStep step, void* visitor) {
  sqlite3* db = GetConnection();
  const std::string sql = std::string("select ") + kKeyTextFunction + "(" + key + "," + text + ") from " + from;
  Notify(sql);
  TKeyTextPass pass{step, visitor, nullptr};
  const TKeyTextFunction function(db, pass);
  TStatement statement = Prepare(db, sql);
  int rc;
  while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
  }
  if (pass.failure) std::rethrow_exception(pass.failure);
  if (rc != SQLITE_DONE) ThrowEngineError(db);
}

void TDbHelper::ExecSql(const std::string& sql) {
  sqlite3* db = GetConnection();
  Notify(sql);
  Run(db, sql);
}

void TDbHelper::ExecBatch(const std::vector<std::string>& statements) {
  sqlite3* db = GetConnection();
  RefuseWriteIfReadOnly(db);
  Exec(db, "BEGIN IMMEDIATE");
  try {
    for (const std::string& sql : statements) {
      Notify(sql);
      Run(db, sql);
    }
    Exec(db, "COMMIT");
  } catch (...) {
    if (sqlite3_get_autocommit(db) == 0) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

int TDbHelper::GetScalarInt(const std::string& sql) {
  std::unique_ptr<TDbQuery> query = OpenQuery(sql);
  if (query->RecordCount() > 0) return query->Fields(0).AsInteger();
  return -1;
}

std::string TDbHelper::GetScalarString(const std::string& sql) {
  std::unique_ptr<TDbQuery> query = OpenQuery(sql);
  if (query->RecordCount() > 0) return query->Fields(0).AsString();
  return std::string();
}

int TDbHelper::LastInsertId() {
  return static_cast<int>(sqlite3_last_insert_rowid(GetConnection()));
}

TDbReadTransaction::TDbReadTransaction() : FDb(TDbHelper().GetConnection()) {
  // Inside a transaction already open on this thread the snapshot is that one's.
  FOwner = sqlite3_get_autocommit(FDb) != 0;
  if (!FOwner) return;
  Exec(FDb, "BEGIN");
  try {
    // A deferred transaction takes its snapshot at the first read.
    Run(FDb, "select count(*) from t_project");
  } catch (...) {
    sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

TDbReadTransaction::~TDbReadTransaction() {
  if (FOwner && sqlite3_get_autocommit(FDb) == 0) sqlite3_exec(FDb, "COMMIT", nullptr, nullptr, nullptr);
}

TDbWriteTransaction::TDbWriteTransaction() : FDb(TDbHelper().GetConnection()) {
  if (sqlite3_get_autocommit(FDb) == 0) throw TDbError("cannot begin a write transaction inside another one");
  // IMMEDIATE takes the write lock now: no other writer can slip in between the statements.
  Exec(FDb, "BEGIN IMMEDIATE");
}

TDbWriteTransaction::~TDbWriteTransaction() {
  if (!FDone && sqlite3_get_autocommit(FDb) == 0) sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
}

void TDbWriteTransaction::Commit() {
  Exec(FDb, "COMMIT");
  FDone = true;
}
