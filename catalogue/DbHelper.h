#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

struct sqlite3;

// A failure of the catalogue database: the engine's own message, or a message
// saying why the catalogue file cannot be used.
class TDbError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One value of a result row, convertible to text or to an integer.
class TDbField {
 public:
  TDbField() = default;
  TDbField(std::string name, std::string text, bool isNull);

  std::string AsString() const { return FText; }
  // The value as a decimal integer; NULL reads as 0, text that is no integer raises TDbError.
  int AsInteger() const;
  bool IsNull() const { return FIsNull; }

 private:
  std::string FName;
  std::string FText;
  bool FIsNull = true;
};

// A result set read in full when it is opened. Walk it with First/Next/Eof and
// read columns by name (without regard to case, as the column names are written).
class TDbQuery {
 public:
  TDbQuery(std::vector<std::string> columns, std::vector<std::vector<TDbField>> rows);

  void First() { FRow = 0; }
  void Next() {
    if (FRow < FRows.size()) ++FRow;
  }
  bool Eof() const { return FRow >= FRows.size(); }
  int RecordCount() const { return static_cast<int>(FRows.size()); }
  int FieldCount() const { return static_cast<int>(FColumns.size()); }
  // The named column of the current row; TDbError when there is no such column or no current row.
  const TDbField& FieldByName(const std::string& name) const;
  // The column at a position (0 = first) of the current row.
  const TDbField& Fields(int index) const;

 private:
  std::vector<std::string> FColumns;
  std::vector<std::vector<TDbField>> FRows;
  std::size_t FRow = 0;
};

// The row a TDbHelper::ForEachRow read stands on. It is valid only inside the call
// that receives it; columns are found by name once and then read by position.
class TDbRow {
 public:
  explicit TDbRow(void* statement) : FStatement(statement) {}
  // The position of the named column (without regard to case); TDbError when there is none.
  int ColumnIndex(const std::string& name) const;
  // The text of the column; empty for NULL.
  std::string Text(int index) const;
  // The column as TDbField::AsInteger reads it: NULL is 0, text that is no integer raises TDbError.
  int Integer(int index) const;
  // Whether the column holds an integer stored as one (not text, a real or NULL) that an int holds; the
  // integer goes to value.
  bool StoredInteger(int index, int& value) const;

 private:
  void* FStatement;
};

// The only code that talks to the catalogue file. Every thread has its own
// connection, opened on its first operation and kept for the thread's life.
class TDbHelper {
 public:
  TDbHelper();

  // Where the catalogue lives for the whole process (default: projects.mdb in the
  // current directory). Each thread's connection follows a change on its next operation.
  static void SetCatalogueFile(const std::string& path);
  static std::string CatalogueFile();

  // Test seam: called with the SQL text of every statement the stores hand in.
  using TStatementObserver = std::function<void(const std::string& sql)>;
  static void SetStatementObserver(TStatementObserver observer);

  // Writes a text value for catalogue SQL: between single quotes, every quote doubled (and a NUL byte, which
  // would end the statement, as char(0) joined to the quoted parts).
  static std::string Quote(const std::string& value);

  // The calling thread's connection, opened (and the catalogue created or checked) when needed.
  sqlite3* GetConnection();

  std::unique_ptr<TDbQuery> OpenQuery(const std::string& sql);
  // Hands each row to onRow as it is read instead of keeping the whole result set:
  // large reads then cost one row of memory, not all of them.
  void ForEachRow(const std::string& sql, const std::function<void(const TDbRow& row)>& onRow);
  // Hands the key and the text of every row of `from` (what follows FROM: a table, perhaps with a WHERE) to
  // onRow from inside the engine's own loop, as the steps of an aggregate function, so that no result row
  // is made and handed out per row: in a pass over a large table that costs as much again as reading the
  // row. key and text are SQL expressions over the row. text is the value's UTF-8 bytes when it is stored
  // as text, and null when it is anything else (NULL, a number, a blob); it is valid only during the call.
  // An exception from onRow stops the pass and is raised here. onRow is called directly, not through a
  // std::function: a pass over 10,000 rows makes as many calls, each a sizeable part of the row's cost.
  template <typename TVisitor>
  void ForEachKeyAndText(const std::string& key, const std::string& text, const std::string& from, TVisitor&& onRow) {
    using TCalled = std::remove_reference_t<TVisitor>;
    ForEachKeyAndText(
        key, text, from,
        [](void* visitor, long long rowKey, const std::string_view* rowText) {
          (*static_cast<TCalled*>(visitor))(rowKey, rowText);
        },
        const_cast<void*>(static_cast<const void*>(&onRow)));
  }
  // The same with the visitor as a function and what it is called with.
  using TKeyTextStep = void (*)(void* visitor, long long key, const std::string_view* text);
  void ForEachKeyAndText(const std::string& key, const std::string& text, const std::string& from, TKeyTextStep step,
                         void* visitor);
  void ExecSql(const std::string& sql);
  // Runs the statements in order in one transaction; on a failure rolls back and raises it.
  void ExecBatch(const std::vector<std::string>& statements);
  // First column of the first row; -1 when there is no row.
  int GetScalarInt(const std::string& sql);
  // First column of the first row as text; empty when there is no row.
  std::string GetScalarString(const std::string& sql);
  // The id the calling thread's last insert gave its row.
  int LastInsertId();

 private:
  std::string FConnectionString;
};

// Keeps every catalogue read of the calling thread inside one snapshot until it is
// destroyed, so a long reader sees one consistent catalogue while another thread writes.
// Made while the thread already has one open, it joins that one and ends nothing.
class TDbReadTransaction {
 public:
  TDbReadTransaction();
  ~TDbReadTransaction();
  TDbReadTransaction(const TDbReadTransaction&) = delete;
  TDbReadTransaction& operator=(const TDbReadTransaction&) = delete;

 private:
  sqlite3* FDb = nullptr;
  bool FOwner = false;
};

// Runs every catalogue statement of the calling thread from its construction to Commit() as one write
// transaction, so several dependent inserts land together or not at all. Destroyed without Commit(), it
// rolls everything back. The thread must not be inside another transaction.
class TDbWriteTransaction {
 public:
  TDbWriteTransaction();
  ~TDbWriteTransaction();
  TDbWriteTransaction(const TDbWriteTransaction&) = delete;
  TDbWriteTransaction& operator=(const TDbWriteTransaction&) = delete;

  void Commit();

 private:
  sqlite3* FDb = nullptr;
  bool FDone = false;
};
