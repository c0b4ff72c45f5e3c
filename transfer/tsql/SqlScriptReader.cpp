#include "transfer/tsql/SqlScriptReader.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <unordered_map>
#include <utility>

namespace {

// A statement that cannot be read: where and why.
struct TReadError {
  int line;
  int column;
  std::string what;
};

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

class TReader {
 public:
  explicit TReader(const std::string& text) : FTokens(text) {}

  TSqlSchema Run() {
    // A statement never looks back before its own first token, so the tokens of the statements read
    // are let go: the reader holds one statement's tokens, not the script's.
    while (!AtEnd()) {
      FTokens.Release(FAt);
      Statement(false);
    }
    return std::move(FSchema);
  }

 private:
  // ---- the token cursor

  bool AtEnd(std::size_t ahead = 0) const { return FTokens.At(FAt + ahead) == nullptr; }
  const TSqlToken& Token(std::size_t ahead = 0) const {
    if (const TSqlToken* token = FTokens.At(FAt + ahead)) return *token;
    // Past the end: just after the script's last token.
    FEnd.line = FTokens.Last().line;
    FEnd.column = FTokens.Last().column + (FTokens.Count() > 0 ? 1 : 0);
    return FEnd;
  }
  const TSqlToken& TokenAt(std::size_t at) const { return *FTokens.At(at); }
  bool Is(const char* keyword, std::size_t ahead = 0) const { return !AtEnd(ahead) && Token(ahead).Is(keyword); }
  bool IsSymbol(char symbol, std::size_t ahead = 0) const { return !AtEnd(ahead) && Token(ahead).IsSymbol(symbol); }

  [[noreturn]] void Fail(const std::string& what) const {
    const TSqlToken& at = Token();
    if (AtEnd()) throw TReadError{at.line, at.column, what + "，脚本却已结束"};
    throw TReadError{at.line, at.column, what + "，这里却是“" + at.text + "”"};
  }

  void Expect(const char* keyword) {
    if (!Is(keyword)) Fail(std::string("应为 ") + keyword);
    ++FAt;
  }
  void ExpectSymbol(char symbol) {
    if (!IsSymbol(symbol)) Fail(std::string("应为“") + symbol + "”");
    ++FAt;
  }
  bool Accept(const char* keyword) {
    if (!Is(keyword)) return false;
    ++FAt;
    return true;
  }
  bool AcceptSymbol(char symbol) {
    if (!IsSymbol(symbol)) return false;
    ++FAt;
    return true;
  }

  std::string Name(const char* what) {
    if (AtEnd() || !Token().IsName() || IsReserved(Token()) || AtBatchEnd()) Fail(std::string("应为") + what);
    return TokenAt(FAt++).text;
  }

  // Words SQL Server reserves cannot be bare names; taking them as names would swallow the next statement.
  static bool IsReserved(const TSqlToken& token) {
    if (token.kind != TSqlTokenKind::Word) return false;
    for (const char* word :
         {"ADD",        "ALTER",   "AS",   "CHECK", "CONSTRAINT", "CREATE", "DEFAULT", "DELETE", "DROP", "EXEC",
          "EXECUTE",    "FOREIGN", "FROM", "IF",    "INSERT",     "KEY",    "NOT",     "NULL",   "ON",   "PRIMARY",
          "REFERENCES", "SELECT",  "SET",  "TABLE", "UNIQUE",     "UPDATE", "USE",     "WITH"})
      if (token.Is(word)) return true;
    return false;
  }

  // server.database.schema.object, any part may be left out: the last part.
  std::string ObjectName(const char* what) {
    std::string name = Name(what);
    while (IsSymbol('.')) {
      ++FAt;
      while (IsSymbol('.')) ++FAt;  // database..object
      name = Name(what);
    }
    return name;
  }

  // From an opening parenthesis to just after its partner.
  void SkipParentheses() {
    ExpectSymbol('(');
    int depth = 1;
    while (depth > 0) {
      if (AtEnd()) Fail("括号没有配对");
      if (IsSymbol('(')) ++depth;
      if (IsSymbol(')')) --depth;
      ++FAt;
    }
  }

  // CREATE PROCEDURE, VIEW and the like own the rest of their batch, so their bodies are never read.
  bool StartsBatchOwningStatement(std::size_t ahead) const {
    if (Is("OR", ahead)) return true;  // CREATE OR ALTER ...
    for (const char* keyword : {"PROCEDURE", "PROC", "FUNCTION", "TRIGGER", "VIEW"})
      if (Is(keyword, ahead)) return true;
    return false;
  }

  bool AtBatchEnd(std::size_t ahead = 0) const { return Is("GO", ahead) && Token(ahead).firstOnLine; }

  void SkipBatch() {
    ++FAt;
    while (!AtEnd() && !AtBatchEnd()) ++FAt;
  }

  // After an unreadable or skipped ALTER TABLE: on to the next statement, which begins after a ";", at the
  // end of the batch, at a statement's first word on a new line, or at the END or ELSE of the block the
  // statement stands in.
  void SkipStatement() {
    int cases = 0;
    while (!AtEnd() && !AtBatchEnd() && !IsSymbol(';')) {
      if (Is("CASE")) {
        ++cases;
      } else if (Is("END") && cases > 0) {
        --cases;
      } else if (Is("END") || Is("ELSE") || (Token().firstOnLine && StartsStatement())) {
        return;
      }
      ++FAt;
    }
  }

  void Skipped(const TReadError& error, const std::string& statement) {
    FSchema.skipped.push_back(SqlPlace(error.line, error.column) + ": " + statement + " 读不懂（" + error.what +
                              "），已跳过这条语句");
  }

  void Note(const TSqlToken& at, const std::string& what) {
    FSchema.skipped.push_back(SqlPlace(at.line, at.column) + ": " + what);
  }

  // ---- statements, and whether they run only under a condition

  // Words that begin a statement and never stand inside a column definition; a statement without a
  // closing ";" ends where the next one begins.
  bool StartsStatement(std::size_t ahead = 0) const {
    if (AtEnd(ahead)) return false;
    for (const char* keyword :
         {"ALTER",    "BEGIN",   "COMMIT", "CREATE", "DECLARE",  "DELETE", "DENY",  "DROP",      "ELSE",   "END",
          "EXEC",     "EXECUTE", "GRANT",  "IF",     "INSERT",   "MERGE",  "PRINT", "RAISERROR", "RETURN", "REVOKE",
          "ROLLBACK", "SELECT",  "SET",    "THROW",  "TRUNCATE", "UPDATE", "USE",   "WHILE"})
      if (Is(keyword, ahead)) return true;
    return AtBatchEnd(ahead);
  }

  bool InConditionalBlock() const { return FConditionalBlocks > 0; }

  void OpenBlock(bool conditional) {
    FBlocks.push_back(conditional);
    if (conditional) ++FConditionalBlocks;
  }

  void CloseBlock() {
    if (FBlocks.empty()) return;
    if (FBlocks.back()) --FConditionalBlocks;
    FBlocks.pop_back();
  }

  // One statement, or one token of a statement the import passes over. A conditional statement is the
  // body of an IF or ELSE, or any statement in a BEGIN ... END or CATCH block of one.
  void Statement(bool conditional) {
    conditional = conditional || InConditionalBlock();
    if (AtBatchEnd()) {
      FBlocks.clear();  // no block outlives its batch
      FConditionalBlocks = 0;
      ++FAt;
    } else if (Is("CREATE")) {
      if (Is("TABLE", 1))
        CreateTable();
      else if (Is("TYPE", 1))
        CreateType();
      else if (StartsBatchOwningStatement(1))
        SkipBatch();
      else
        ++FAt;
    } else if (Is("ALTER")) {
      if (Is("TABLE", 1))
        AlterTable(conditional);
      else if (StartsBatchOwningStatement(1))
        SkipBatch();
      else
        ++FAt;
    } else if (Is("DROP") && Is("TABLE", 1)) {
      DropTable(conditional);
    } else if (Is("EXEC") || Is("EXECUTE")) {
      Exec(conditional);
    } else if (Is("IF") || Is("ELSE")) {
      // IF cond IF cond ... and ELSE IF chains in a loop: a long chain must not deepen the stack.
      while (Is("IF") || Is("ELSE")) {
        if (Accept("IF"))
          SkipCondition();
        else
          ++FAt;
      }
      if (!AtEnd() && !AtBatchEnd()) Statement(true);
    } else if (Is("BEGIN")) {
      if (Is("TRAN", 1) || Is("TRANSACTION", 1) || Is("DISTRIBUTED", 1)) {
        ++FAt;
      } else {
        OpenBlock(conditional || Is("CATCH", 1));
        ++FAt;
      }
    } else if (Is("CASE")) {
      OpenBlock(false);  // closed by an END like a block
      ++FAt;
    } else if (Is("END")) {
      CloseBlock();
      ++FAt;
    } else {
      ++FAt;
    }
  }

  // The condition of an IF: up to the first word outside parentheses that begins a statement.
  void SkipCondition() {
    while (!AtEnd() && !AtBatchEnd() && !StartsStatement()) {
      if (IsSymbol('('))
        SkipBalanced();
      else
        ++FAt;
    }
  }

  // Parentheses that may never close: to just after the partner, or to the end of the batch.
  void SkipBalanced() {
    int depth = 0;
    do {
      if (IsSymbol('(')) ++depth;
      if (IsSymbol(')')) --depth;
      ++FAt;
    } while (depth > 0 && !AtEnd() && !AtBatchEnd());
  }

  // ---- CREATE TABLE

  void CreateTable() {
    const std::size_t start = FAt;
    FAt += 2;
    std::string statement = "CREATE TABLE";
    constexpr std::size_t kNotOpen = static_cast<std::size_t>(-1);
    std::size_t open = kNotOpen;
    std::string name;
    try {
      TSqlTable table;
      table.line = Token().line;
      table.column = Token().column;
      table.name = ObjectName("表名");
      name = table.name;
      statement += " " + table.name;
      if (table.name.empty() || table.name[0] == '#') {
        // A temporary table belongs to a batch's work, not to the schema.
        FAt = start + 1;
        return;
      }
      open = FAt;
      ExpectSymbol('(');
      Elements(table, false);
      ExpectSymbol(')');
      TableOptions(table);
      table.columns.shrink_to_fit();  // thousands of tables: no growth room left in each
      FSchema.tables.push_back(std::move(table));
    } catch (const TReadError& error) {
      Skipped(error, statement);
      if (!name.empty()) FSchema.unreadableTables.push_back(name);
      // Resume after the table's column list, or at the next batch when it never closes.
      if (open == kNotOpen) {
        FAt = start + 1;
        return;
      }
      // Resume after the column list; when it never closes, at the end of the batch.
      FAt = open;
      for (int depth = 0; !AtEnd() && !AtBatchEnd();) {
        if (IsSymbol('(')) ++depth;
        if (IsSymbol(')') && --depth == 0) {
          ++FAt;
          break;
        }
        ++FAt;
      }
    }
  }

  // Columns and table constraints separated by commas. SQL Server also takes a table constraint right
  // after a column or another constraint without one.
  void Elements(TSqlTable& table, bool altering) {
    do {
      if (!altering && IsSymbol(')')) break;  // a trailing comma
      TableElement(table, altering);
      while (TableConstraintAhead()) TableConstraint(table);
    } while (AcceptSymbol(','));
  }

  // [CONSTRAINT name] PRIMARY KEY|UNIQUE [CLUSTERED|NONCLUSTERED] (...) or FOREIGN KEY (...): a constraint
  // over a column list, which only a table constraint has.
  bool TableConstraintAhead() const {
    std::size_t at = Is("CONSTRAINT") ? 2 : 0;
    if (Is("FOREIGN", at)) return Is("KEY", at + 1) && IsSymbol('(', at + 2);
    if (Is("PRIMARY", at) && Is("KEY", at + 1))
      at += 2;
    else if (Is("UNIQUE", at))
      at += 1;
    else
      return false;
    if (Is("CLUSTERED", at) || Is("NONCLUSTERED", at)) ++at;
    return IsSymbol('(', at);
  }

  // After the column list: ON filegroup, TEXTIMAGE_ON, FILESTREAM_ON, WITH (options), AS NODE|EDGE. Other
  // words on the same line are clauses this import does not know: each is passed over with its
  // parentheses, with a note. A clause that cannot be followed ends the options; the table stays read.
  void TableOptions(TSqlTable& table) {
    try {
      for (;;) {
        if (Is("ON") || Is("TEXTIMAGE_ON") || Is("FILESTREAM_ON")) {
          ++FAt;
          if (!AtEnd() && (Token().IsName() || Token().kind == TSqlTokenKind::String) && !AtBatchEnd()) ++FAt;
          if (IsSymbol('(')) SkipParentheses();
        } else if (Is("WITH") && IsSymbol('(', 1)) {
          ++FAt;
          TableWithOptions(table);
        } else if (Is("AS") && (Is("NODE", 1) || Is("EDGE", 1) || Is("FILETABLE", 1))) {
          AddNote(table.notes, "AS " + Upper(Token(1).text) + " 未导入（作为普通表导入）");
          FAt += 2;
        } else if (!AtEnd() && Token().kind == TSqlTokenKind::Word && !Token().firstOnLine && !StartsStatement() &&
                   !Is("AS")) {
          AddNote(table.notes, "不认识的子句 " + Token().text + "，已跳过");
          ++FAt;
          while (IsSymbol('(')) SkipParentheses();
        } else {
          return;
        }
      }
    } catch (const TReadError&) {
    }
  }

  // WITH ( option [= value] [(...)] , ... ): storage options pass without a word; the others change what
  // the table is (a history table, memory-optimized, a ledger) and the project cannot hold them.
  void TableWithOptions(TSqlTable& table) {
    ExpectSymbol('(');
    while (!AtEnd() && !IsSymbol(')')) {
      const std::string option = Upper(Token().text);
      ++FAt;
      while (!AtEnd() && !IsSymbol(',') && !IsSymbol(')')) {
        if (IsSymbol('('))
          SkipParentheses();
        else
          ++FAt;
      }
      AcceptSymbol(',');
      if (option == "DATA_COMPRESSION" || option == "XML_COMPRESSION" || option == "DURABILITY") continue;
      if (option == "SYSTEM_VERSIONING")
        AddNote(table.notes, "WITH (SYSTEM_VERSIONING …) 未导入（系统版本的历史表不会建立）");
      else if (option == "MEMORY_OPTIMIZED")
        AddNote(table.notes, "WITH (MEMORY_OPTIMIZED …) 未导入（作为普通表导入）");
      else if (option == "LEDGER")
        AddNote(table.notes, "WITH (LEDGER …) 未导入（作为普通表导入）");
      else
        AddNote(table.notes, "WITH (" + option + " …) 未导入");
    }
    ExpectSymbol(')');
  }

  static void AddNote(std::vector<std::string>& notes, const std::string& note) {
    for (const std::string& earlier : notes)
      if (earlier == note) return;
    notes.push_back(note);
  }

  static std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
  }

  // One column or table constraint, up to the comma or parenthesis that ends it.
  void TableElement(TSqlTable& table, bool altering) {
    if (Is("CONSTRAINT") || Is("PRIMARY") || Is("UNIQUE") || Is("FOREIGN") || Is("CHECK") || Is("DEFAULT")) {
      TableConstraint(table);
    } else if (Is("PERIOD")) {
      AddNote(table.notes, "PERIOD FOR SYSTEM_TIME 未导入（系统版本的时间段）");
      SkipToElementEnd();
    } else if (Is("INDEX")) {
      SkipToElementEnd();
    } else if (altering && Is("COLUMN")) {
      ++FAt;
      Column(table, altering);
    } else {
      Column(table, altering);
    }
  }

  void SkipToElementEnd() {
    while (!AtEnd() && !IsSymbol(',') && !IsSymbol(')')) {
      if (IsSymbol('('))
        SkipParentheses();
      else
        ++FAt;
    }
  }

  void TableConstraint(TSqlTable& table) {
    std::string name;
    if (Accept("CONSTRAINT")) name = Name("约束名");
    if (Accept("PRIMARY")) {
      Expect("KEY");
      ClusterKind();
      table.primaryKeys.push_back(ColumnList());
      table.primaryKeyNames.push_back(name);
      IndexOptions();
    } else if (Accept("UNIQUE")) {
      ClusterKind();
      ColumnList();
      IndexOptions();
    } else if (Accept("FOREIGN")) {
      Expect("KEY");
      TSqlForeignKey key;
      key.name = name;
      key.columns = ColumnList();
      Expect("REFERENCES");
      References(key);
      table.foreignKeys.push_back(std::move(key));
    } else if (Accept("CHECK")) {
      NotForReplication();
      SkipParentheses();
    } else if (Accept("DEFAULT")) {
      const bool sequence = Expression();
      if (Accept("FOR")) {
        const std::string column = Name("列名");
        for (TSqlColumn& c : table.columns)
          if (SameName(c.name, column)) c.sequence = c.sequence || sequence;
      }
      Accept("WITH") && Accept("VALUES");
    } else {
      Fail("应为 PRIMARY KEY、FOREIGN KEY、UNIQUE、CHECK 或 DEFAULT");
    }
  }

  void ClusterKind() { Accept("CLUSTERED") || Accept("NONCLUSTERED"); }

  // ( a [ASC|DESC], b ... )
  std::vector<std::string> ColumnList() {
    std::vector<std::string> columns;
    ExpectSymbol('(');
    do {
      columns.push_back(Name("列名"));
      Accept("ASC") || Accept("DESC");
    } while (AcceptSymbol(','));
    ExpectSymbol(')');
    return columns;
  }

  // WITH (PAD_INDEX = OFF, ...) or the old WITH FILLFACTOR = 90, then ON [PRIMARY] or ON scheme(column).
  void IndexOptions() {
    for (;;) {
      if (Accept("WITH")) {
        if (IsSymbol('(')) {
          SkipParentheses();
        } else {
          Name("索引选项");
          ExpectSymbol('=');
          ++FAt;
        }
      } else if (Is("ON") && !Is("DELETE", 1) && !Is("UPDATE", 1)) {
        ++FAt;
        Name("文件组名");
        if (IsSymbol('(')) SkipParentheses();
      } else {
        return;
      }
    }
  }

  void NotForReplication() {
    if (Is("NOT") && Is("FOR", 1)) {
      FAt += 2;
      Expect("REPLICATION");
    }
  }

  // After REFERENCES: table [(columns)] [ON DELETE|UPDATE action]... [NOT FOR REPLICATION]
  void References(TSqlForeignKey& key) {
    key.table = ObjectName("被引用的表名");
    if (IsSymbol('(')) key.keyColumns = ColumnList();
    for (;;) {
      if (Is("ON") && (Is("DELETE", 1) || Is("UPDATE", 1))) {
        FAt += 2;
        if (Accept("NO")) {
          Expect("ACTION");
        } else if (Accept("SET")) {
          if (!Accept("NULL")) Expect("DEFAULT");
        } else {
          Expect("CASCADE");
        }
      } else if (Is("NOT") && Is("FOR", 1)) {
        NotForReplication();
      } else {
        return;
      }
    }
  }

  // A default's value: a parenthesised expression, or a constant or function call, with a sign, or the
  // next value of a sequence. True when the value is a sequence's next value.
  bool Expression() {
    if (IsSymbol('(')) {
      const std::size_t open = FAt;
      SkipParentheses();
      for (std::size_t at = open; at + 2 < FAt; ++at)
        if (TokenAt(at).Is("NEXT") && TokenAt(at + 1).Is("VALUE") && TokenAt(at + 2).Is("FOR")) return true;
      return false;
    }
    AcceptSymbol('-') || AcceptSymbol('+');
    if (Is("NEXT") && Is("VALUE", 1) && Is("FOR", 2)) {
      FAt += 3;
      ObjectName("序列名");
      if (Is("OVER") && IsSymbol('(', 1)) {
        ++FAt;
        SkipParentheses();
      }
      return true;
    }
    if (AtEnd() || IsSymbol(',') || IsSymbol(')')) Fail("应为默认值");
    ++FAt;
    if (IsSymbol('(')) SkipParentheses();
    return false;
  }

  // type [(length [, scale])], the type possibly schema-qualified; "double precision" is one type.
  void ColumnType(std::string& typeName, std::string& length) {
    typeName = ObjectName("类型名");
    if (SameName(typeName, "double") && Is("PRECISION")) ++FAt;
    if (IsSymbol('(')) {
      const std::size_t open = FAt;
      if (Token(1).kind == TSqlTokenKind::Number || Token(1).Is("MAX")) length = Token(1).text;
      FAt = open;
      SkipParentheses();
    }
  }

  // Where a column definition ends: at its comma or the closing parenthesis, before a table constraint that
  // follows without a comma, and in ALTER TABLE ... ADD also where the statement ends.
  bool AtColumnEnd(bool altering) const {
    if (AtEnd() || IsSymbol(',') || IsSymbol(')') || TableConstraintAhead()) return true;
    return altering && (IsSymbol(';') || StartsStatement());
  }

  void Column(TSqlTable& table, bool altering) {
    TSqlColumn column;
    column.line = Token().line;
    column.column = Token().column;
    column.name = Name("列名");
    if (Accept("AS")) {
      column.computed = true;
      while (!AtColumnEnd(altering)) {
        if (IsSymbol('('))
          SkipParentheses();
        else
          ++FAt;
      }
      table.columns.push_back(std::move(column));
      return;
    }
    ColumnType(column.typeName, column.length);
    while (!AtColumnEnd(altering)) {
      if (Accept("COLLATE")) {
        Name("排序规则名");
      } else if (Accept("NULL")) {
        column.nullWritten = true;
        column.notNull = false;
      } else if (Is("NOT") && Is("NULL", 1)) {
        FAt += 2;
        column.nullWritten = true;
        column.notNull = true;
      } else if (Is("NOT") && Is("FOR", 1)) {
        NotForReplication();
      } else if (Accept("IDENTITY")) {
        column.identity = true;
        if (IsSymbol('(')) SkipParentheses();
      } else if (Accept("ROWGUIDCOL") || Accept("SPARSE") || Accept("FILESTREAM") || Accept("PERSISTED") ||
                 Accept("HIDDEN")) {
      } else if (Is("GENERATED")) {
        // GENERATED ALWAYS AS ROW|TRANSACTION_ID|SEQUENCE_NUMBER START|END [HIDDEN]
        std::string clause = "GENERATED";
        ++FAt;
        Expect("ALWAYS");
        Expect("AS");
        clause += " ALWAYS AS";
        for (int word = 0; word < 2; ++word) clause += " " + Upper(Name("GENERATED ALWAYS AS 的列种类"));
        AddNote(column.notes, clause + " 未导入（作为普通列导入，由程序写入）");
      } else if (Is("MASKED") || Is("ENCRYPTED")) {
        const bool masked = Is("MASKED");
        ++FAt;
        Expect("WITH");
        SkipParentheses();
        AddNote(column.notes,
                masked ? "MASKED WITH (…) 未导入（数据屏蔽不会建立）" : "ENCRYPTED WITH (…) 未导入（列加密不会建立）");
      } else if (Accept("INDEX")) {
        Name("索引名");
        ClusterKind();
        IndexOptions();
      } else if (Accept("COLUMN_SET")) {
        Expect("FOR");
        Expect("ALL_SPARSE_COLUMNS");
      } else {
        ColumnConstraint(table, column);
      }
    }
    table.columns.push_back(std::move(column));
  }

  void ColumnConstraint(TSqlTable& table, TSqlColumn& column) {
    std::string name;
    if (Accept("CONSTRAINT")) name = Name("约束名");
    if (Accept("PRIMARY")) {
      Expect("KEY");
      ClusterKind();
      IndexOptions();
      table.primaryKeys.push_back({column.name});
      table.primaryKeyNames.push_back(name);
    } else if (Accept("UNIQUE")) {
      ClusterKind();
      IndexOptions();
    } else if (Accept("DEFAULT")) {
      if (Expression()) column.sequence = true;
      if (Is("WITH") && Is("VALUES", 1)) FAt += 2;
    } else if (Accept("CHECK")) {
      NotForReplication();
      SkipParentheses();
    } else if (Is("FOREIGN") || Is("REFERENCES")) {
      if (Accept("FOREIGN")) Expect("KEY");
      Expect("REFERENCES");
      TSqlForeignKey key;
      key.name = name;
      key.columns = {column.name};
      References(key);
      table.foreignKeys.push_back(std::move(key));
    } else {
      Fail("列 " + column.name + " 的定义中不认识这个词");
    }
  }

  // ---- ALTER TABLE name [WITH CHECK|NOCHECK] ADD ... | ALTER COLUMN ... | DROP ...; other changes (CHECK
  // CONSTRAINT, SET, triggers) are passed over.

  void AlterTable(bool conditional) {
    const TSqlToken first = Token();
    FAt += 2;
    std::string statement = "ALTER TABLE";
    try {
      const std::string name = ObjectName("表名");
      statement += " " + name;
      if (Is("WITH") && (Is("CHECK", 1) || Is("NOCHECK", 1))) FAt += 2;
      const bool add = Is("ADD"), alter = Is("ALTER") && Is("COLUMN", 1), drop = Is("DROP");
      if (!add && !alter && !drop) return;
      TSqlTable* table = FindTable(name);
      if (conditional) {
        if (table != nullptr) Note(first, "条件语句中的 " + statement + " 未执行，已跳过");
        SkipStatement();
        return;
      }
      if (table == nullptr) {
        if (name[0] != '#')
          Note(first, statement + (IsUnreadable(name) ? " 的表没有读懂，已跳过" : " 的表不在脚本中，已跳过"));
        SkipStatement();
        return;
      }
      FAt += alter ? 2 : 1;
      if (add)
        AlterAdd(*table);
      else if (alter)
        AlterColumn(*table, first, statement);
      else
        AlterDrop(*table);
    } catch (const TReadError& error) {
      Skipped(error, statement);
      SkipStatement();
    }
  }

  void AlterAdd(TSqlTable& table) {
    TSqlTable added;
    Elements(added, true);
    if (!AtEnd() && !IsSymbol(';') && !Token().firstOnLine && !StartsStatement()) Fail("约束后面多了内容");
    for (auto& column : added.columns) table.columns.push_back(std::move(column));
    for (auto& key : added.primaryKeys) table.primaryKeys.push_back(std::move(key));
    for (auto& name : added.primaryKeyNames) table.primaryKeyNames.push_back(std::move(name));
    for (auto& key : added.foreignKeys) table.foreignKeys.push_back(std::move(key));
    for (auto& note : added.notes) AddNote(table.notes, note);
  }

  // ALTER COLUMN name type [COLLATE ...] [NULL | NOT NULL] [SPARSE ...]: the column takes the new type and
  // nullability. ALTER COLUMN name ADD|DROP property changes nothing the import keeps.
  void AlterColumn(TSqlTable& table, const TSqlToken& first, const std::string& statement) {
    const std::string name = Name("列名");
    TSqlColumn* column = FindColumn(table, name);
    if (column == nullptr) Fail("表中没有列 " + name);
    if (Is("ADD") || Is("DROP")) {
      SkipStatement();
      return;
    }
    TSqlColumn changed;
    ColumnType(changed.typeName, changed.length);
    while (!AtEnd() && !IsSymbol(';') && !StartsStatement()) {
      if (Accept("COLLATE")) {
        Name("排序规则名");
      } else if (Accept("NULL")) {
        changed.nullWritten = true;
        changed.notNull = false;
      } else if (Is("NOT") && Is("NULL", 1)) {
        FAt += 2;
        changed.nullWritten = true;
        changed.notNull = true;
      } else if (Accept("SPARSE") || Accept("HIDDEN") || Accept("ROWGUIDCOL") || Accept("PERSISTED")) {
      } else if (Accept("WITH") || Accept("MASKED") || Accept("ENCRYPTED")) {
        Accept("WITH");
        SkipParentheses();
      } else {
        Fail("列 " + name + " 的定义中不认识这个词");
      }
    }
    column->typeName = changed.typeName;
    column->length = changed.length;
    column->nullWritten = changed.nullWritten;
    column->notNull = changed.notNull;
    // SQL Server refuses to change a column that a key or foreign key uses, so a script that gets here
    // dropped them in a way this import cannot follow (dynamic SQL, say): they are gone.
    if (DropConstraintsOfColumn(table, name))
      Note(first, statement + " ALTER COLUMN " + name + ": 列上的主键、外键在 SQL Server 中须先删除，已视为删除");
  }

  // DROP [CONSTRAINT] [IF EXISTS] name, ... | DROP COLUMN [IF EXISTS] name, ... | DROP PERIOD FOR SYSTEM_TIME,
  // in any mix.
  void AlterDrop(TSqlTable& table) {
    bool columns = false;
    do {
      if (Accept("COLUMN")) {
        columns = true;
      } else if (Accept("CONSTRAINT")) {
        columns = false;
      } else if (Is("PERIOD")) {
        FAt += 2;
        Expect("SYSTEM_TIME");
        continue;
      }
      if (Is("IF") && Is("EXISTS", 1)) FAt += 2;
      const std::string name = Name(columns ? "列名" : "约束名");
      if (columns) {
        DropColumn(table, name);
      } else {
        if (Accept("WITH")) SkipParentheses();
        DropConstraint(table, name);
      }
    } while (AcceptSymbol(','));
  }

  TSqlColumn* FindColumn(TSqlTable& table, const std::string& name) {
    for (TSqlColumn& column : table.columns)
      if (SameName(column.name, name)) return &column;
    return nullptr;
  }

  static bool Names(const std::vector<std::string>& names, const std::string& name) {
    for (const std::string& each : names)
      if (SameName(each, name)) return true;
    return false;
  }

  // Removes the keys and foreign keys that use the column; true when there was one.
  static bool DropConstraintsOfColumn(TSqlTable& table, const std::string& column) {
    bool dropped = false;
    for (std::size_t i = table.primaryKeys.size(); i-- > 0;) {
      if (!Names(table.primaryKeys[i], column)) continue;
      table.primaryKeys.erase(table.primaryKeys.begin() + static_cast<long>(i));
      table.primaryKeyNames.erase(table.primaryKeyNames.begin() + static_cast<long>(i));
      dropped = true;
    }
    for (std::size_t i = table.foreignKeys.size(); i-- > 0;) {
      if (!Names(table.foreignKeys[i].columns, column)) continue;
      table.foreignKeys.erase(table.foreignKeys.begin() + static_cast<long>(i));
      dropped = true;
    }
    return dropped;
  }

  void DropColumn(TSqlTable& table, const std::string& name) {
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
      if (!SameName(table.columns[i].name, name)) continue;
      table.columns.erase(table.columns.begin() + static_cast<long>(i));
      DropConstraintsOfColumn(table, name);
      DropDescriptions(table.name, name);
      return;
    }
  }

  void DropConstraint(TSqlTable& table, const std::string& name) {
    for (std::size_t i = 0; i < table.primaryKeyNames.size(); ++i) {
      if (table.primaryKeyNames[i].empty() || !SameName(table.primaryKeyNames[i], name)) continue;
      table.primaryKeys.erase(table.primaryKeys.begin() + static_cast<long>(i));
      table.primaryKeyNames.erase(table.primaryKeyNames.begin() + static_cast<long>(i));
      return;
    }
    for (std::size_t i = 0; i < table.foreignKeys.size(); ++i) {
      if (table.foreignKeys[i].name.empty() || !SameName(table.foreignKeys[i].name, name)) continue;
      table.foreignKeys.erase(table.foreignKeys.begin() + static_cast<long>(i));
      return;
    }
  }

  TSqlTable* FindTable(const std::string& name) {
    for (TSqlTable& table : FSchema.tables)
      if (SameName(table.name, name)) return &table;
    return nullptr;
  }

  bool IsUnreadable(const std::string& name) const { return Names(FSchema.unreadableTables, name); }

  // ---- DROP TABLE [IF EXISTS] name, ...: the table and its descriptions are gone.

  void DropTable(bool conditional) {
    FAt += 2;
    if (Is("IF") && Is("EXISTS", 1)) FAt += 2;
    do {
      const TSqlToken first = Token();
      std::string name;
      try {
        name = ObjectName("表名");
      } catch (const TReadError&) {
        return;
      }
      for (std::size_t i = 0; i < FSchema.tables.size(); ++i) {
        if (!SameName(FSchema.tables[i].name, name)) continue;
        if (conditional) {
          Note(first, "条件语句中的 DROP TABLE " + name + " 未执行，已跳过");
        } else {
          Note(first, "DROP TABLE " + name + " 删除了前面读到的表，它不会导入");
          FSchema.tables.erase(FSchema.tables.begin() + static_cast<long>(i));
          DropDescriptions(name, "");
        }
        break;
      }
    } while (AcceptSymbol(','));
  }

  // ---- EXEC: sp_addextendedproperty and the like, sp_addtype, sp_rename; dynamic SQL that changes tables
  // is not run and says so; other procedures are passed over.

  struct TArgument {
    std::string name;  // @name when given by name, lower case; empty when positional
    std::string value;
    bool isNull = false;
  };

  void Exec(bool conditional) {
    const TSqlToken first = Token();
    ++FAt;
    if (IsSymbol('(')) {
      DynamicSql(first, FAt);
      return;
    }
    if (AtEnd() || !Token().IsName()) return;
    const std::size_t start = FAt;
    std::string procedure;
    try {
      procedure = ObjectName("存储过程名");
    } catch (const TReadError&) {
      FAt = start;
      return;
    }
    if (SameName(procedure, "sp_executesql")) {
      DynamicSql(first, FAt);
      return;
    }
    const bool add = SameName(procedure, "sp_addextendedproperty");
    const bool update = SameName(procedure, "sp_updateextendedproperty");
    const bool drop = SameName(procedure, "sp_dropextendedproperty");
    const bool aliasType = SameName(procedure, "sp_addtype");
    const bool rename = SameName(procedure, "sp_rename");
    if (!add && !update && !drop && !aliasType && !rename) return;
    std::vector<TArgument> arguments;
    do {
      TArgument argument;
      if (Token().kind == TSqlTokenKind::Variable && IsSymbol('=', 1)) {
        argument.name = Token().text;
        for (char& c : argument.name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        FAt += 2;
      }
      if (AtEnd()) return;
      const TSqlToken& value = Token();
      if (value.Is("NULL")) argument.isNull = true;
      if (value.kind == TSqlTokenKind::Symbol) return;  // not a call this import understands
      argument.value = value.text;
      ++FAt;
      arguments.push_back(std::move(argument));
    } while (AcceptSymbol(','));
    if (aliasType)
      AliasType(arguments);
    else if (rename)
      Rename(arguments, first, conditional);
    else
      Description(arguments, first, add ? TChange::Add : update ? TChange::Update : TChange::Drop, conditional);
  }

  // EXEC (N'...' + ...) or sp_executesql N'...': the text is not run. A line says so when it holds a
  // statement on tables, so the user knows what the import did not do.
  void DynamicSql(const TSqlToken& first, std::size_t from) {
    std::string text;
    FAt = from;
    if (IsSymbol('(')) {
      const std::size_t open = FAt;
      SkipBalanced();
      for (std::size_t at = open; at < FAt; ++at)
        if (TokenAt(at).kind == TSqlTokenKind::String) text += TokenAt(at).text + " ";
    } else if (!AtEnd() && Token().kind == TSqlTokenKind::String) {
      text = Token().text;
      ++FAt;
    }
    // Words of the text, upper case, one blank between them.
    std::string words;
    for (char c : text) {
      const unsigned char b = static_cast<unsigned char>(c);
      if (std::isspace(b) || c == '[' || c == ']') {
        if (!words.empty() && words.back() != ' ') words += ' ';
      } else {
        words += static_cast<char>(std::toupper(b));
      }
    }
    for (const char* statement : {"CREATE TABLE", "ALTER TABLE", "DROP TABLE", "SP_RENAME"}) {
      if (words.find(statement) == std::string::npos) continue;
      Note(first, std::string("动态 SQL 中的 ") + (statement[0] == 'S' ? "sp_rename" : statement) + " 未执行，已跳过");
      return;
    }
  }

  // Positional arguments take the procedure's parameter order; named ones their name.
  static std::string Argument(const std::vector<TArgument>& arguments, std::size_t position, const char* name) {
    for (const TArgument& argument : arguments)
      if (argument.name == name) return argument.isNull ? "" : argument.value;
    if (position < arguments.size() && arguments[position].name.empty())
      return arguments[position].isNull ? "" : arguments[position].value;
    return "";
  }

  enum class TChange { Add, Update, Drop };

  // The description procedures as SQL Server runs them: adding one that exists fails and keeps the first;
  // updating replaces it; dropping removes it, so a later add counts again.
  void Description(const std::vector<TArgument>& arguments, const TSqlToken& first, TChange change, bool conditional) {
    // sp_dropextendedproperty has no @value: its level arguments come one place earlier.
    const std::size_t shift = change == TChange::Drop ? 1 : 0;
    if (!SameName(Argument(arguments, 0, "@name"), "MS_Description")) return;
    if (!SameName(Argument(arguments, 4 - shift, "@level1type"), "TABLE")) return;
    TSqlDescription entry;
    if (change != TChange::Drop) entry.text = Argument(arguments, 1, "@value");
    entry.table = Argument(arguments, 5 - shift, "@level1name");
    const std::string level2 = Argument(arguments, 6 - shift, "@level2type");
    if (!level2.empty()) {
      if (!SameName(level2, "COLUMN")) return;
      entry.column = Argument(arguments, 7 - shift, "@level2name");
    }
    const std::string of = "表 " + entry.table + (entry.column.empty() ? "" : " 列 " + entry.column);
    const std::string key = DescriptionKey(entry.table, entry.column);
    const auto found = FDescriptionAt.find(key);
    const bool exists = found != FDescriptionAt.end();
    if (change == TChange::Add) {
      if (exists) {
        Note(first, of + " 已有说明，SQL Server 不会再添加，保留先前的说明");
        return;
      }
      FDescriptionAt.emplace(key, FSchema.descriptions.size());
      FSchema.descriptions.push_back(std::move(entry));
    } else if (conditional) {
      if (exists) Note(first, "条件语句中对" + of + "说明的修改未执行，已跳过");
    } else if (exists && change == TChange::Update) {
      FSchema.descriptions[found->second].text = entry.text;
    } else if (exists) {
      FSchema.descriptions.erase(FSchema.descriptions.begin() + static_cast<long>(found->second));
      IndexDescriptions();
    }
  }

  static std::string DescriptionKey(const std::string& table, const std::string& column) {
    std::string key = table + '\n' + column;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
  }

  // The descriptions are found by name; after names change or entries go, the index is made again.
  void IndexDescriptions() {
    FDescriptionAt.clear();
    for (std::size_t i = 0; i < FSchema.descriptions.size(); ++i)
      FDescriptionAt.emplace(DescriptionKey(FSchema.descriptions[i].table, FSchema.descriptions[i].column), i);
  }

  void DropDescriptions(const std::string& table, const std::string& column) {
    const std::size_t before = FSchema.descriptions.size();
    FSchema.descriptions.erase(std::remove_if(FSchema.descriptions.begin(), FSchema.descriptions.end(),
                                              [&](const TSqlDescription& d) {
                                                return SameName(d.table, table) &&
                                                       (column.empty() || SameName(d.column, column));
                                              }),
                               FSchema.descriptions.end());
    if (FSchema.descriptions.size() != before) IndexDescriptions();
  }

  // sp_rename 'schema.table', 'new' | 'schema.table.column', 'new', 'COLUMN' | 'constraint', 'new',
  // 'OBJECT'. The new name is taken as written, as SQL Server does. Keys, references and descriptions
  // follow the renamed table or column.
  void Rename(const std::vector<TArgument>& arguments, const TSqlToken& first, bool conditional) {
    const std::string objectName = Argument(arguments, 0, "@objname");
    const std::string newName = Argument(arguments, 1, "@newname");
    const std::string type = Argument(arguments, 2, "@objtype");
    if (objectName.empty() || newName.empty()) return;
    std::vector<std::string> parts;
    try {
      for (const TSqlToken& token : TokenizeSql(objectName))
        if (token.IsName()) parts.push_back(token.text);
    } catch (const TSqlScriptError&) {
      return;
    }
    if (parts.empty()) return;
    const bool column = SameName(type, "COLUMN");
    if (column && parts.size() < 2) return;
    TSqlTable* table = FindTable(column ? parts[parts.size() - 2] : parts.back());
    if (conditional) {
      if (table != nullptr) Note(first, "条件语句中的 sp_rename " + objectName + " 未执行，已跳过");
      return;
    }
    if (column) {
      if (table != nullptr) RenameColumn(*table, parts.back(), newName);
    } else if (table != nullptr && (type.empty() || SameName(type, "OBJECT"))) {
      RenameTable(*table, newName);
    } else if (type.empty() || SameName(type, "OBJECT")) {
      for (TSqlTable& each : FSchema.tables) {
        for (std::string& key : each.primaryKeyNames)
          if (!key.empty() && SameName(key, parts.back())) key = newName;
        for (TSqlForeignKey& key : each.foreignKeys)
          if (!key.name.empty() && SameName(key.name, parts.back())) key.name = newName;
      }
    }
  }

  void RenameTable(TSqlTable& table, const std::string& newName) {
    const std::string oldName = table.name;
    for (TSqlTable& each : FSchema.tables)
      for (TSqlForeignKey& key : each.foreignKeys)
        if (SameName(key.table, oldName)) key.table = newName;
    for (TSqlDescription& d : FSchema.descriptions)
      if (SameName(d.table, oldName)) d.table = newName;
    IndexDescriptions();
    table.name = newName;
  }

  void RenameColumn(TSqlTable& table, const std::string& oldName, const std::string& newName) {
    TSqlColumn* column = FindColumn(table, oldName);
    if (column == nullptr) return;
    column->name = newName;
    const auto rename = [&](std::vector<std::string>& names) {
      for (std::string& name : names)
        if (SameName(name, oldName)) name = newName;
    };
    for (std::vector<std::string>& key : table.primaryKeys) rename(key);
    for (TSqlForeignKey& key : table.foreignKeys) rename(key.columns);
    for (TSqlTable& each : FSchema.tables)
      for (TSqlForeignKey& key : each.foreignKeys)
        if (SameName(key.table, table.name)) rename(key.keyColumns);
    for (TSqlDescription& d : FSchema.descriptions)
      if (SameName(d.table, table.name) && SameName(d.column, oldName)) d.column = newName;
    IndexDescriptions();
  }

  void AliasType(const std::vector<TArgument>& arguments) {
    TSqlAliasType alias;
    alias.name = Argument(arguments, 0, "@typename");
    const std::string base = Argument(arguments, 1, "@phystype");
    const std::string nullType = Argument(arguments, 2, "@nulltype");
    if (alias.name.empty() || base.empty()) return;
    try {
      TReader inner(base);
      inner.ColumnType(alias.typeName, alias.length);
    } catch (const std::exception&) {
      return;
    } catch (const TReadError&) {
      return;
    }
    if (!nullType.empty()) {
      alias.nullWritten = true;
      alias.notNull = SameName(nullType, "NOT NULL") || SameName(nullType, "NONULL");
    }
    FSchema.aliasTypes.push_back(std::move(alias));
  }

  // ---- CREATE TYPE name FROM base [NULL | NOT NULL]; table and CLR types are passed over.

  void CreateType() {
    const std::size_t start = FAt;
    FAt += 2;
    try {
      TSqlAliasType alias;
      alias.name = ObjectName("类型名");
      if (!Accept("FROM")) return;
      ColumnType(alias.typeName, alias.length);
      if (Accept("NULL")) {
        alias.nullWritten = true;
      } else if (Is("NOT") && Is("NULL", 1)) {
        FAt += 2;
        alias.nullWritten = true;
        alias.notNull = true;
      }
      FSchema.aliasTypes.push_back(std::move(alias));
    } catch (const TReadError&) {
      FAt = start + 1;
    }
  }

  mutable TSqlTokenStream FTokens;
  mutable TSqlToken FEnd;
  std::size_t FAt = 0;
  TSqlSchema FSchema;
  std::vector<bool> FBlocks;           // the open BEGIN ... END and CASE ... END; true for those run under a condition
  std::size_t FConditionalBlocks = 0;  // how many of them are true
  std::unordered_map<std::string, std::size_t> FDescriptionAt;  // lower-case "table\ncolumn" to its entry
};

}  // namespace

TSqlSchema ReadSqlScript(const std::string& utf8) {
  return TReader(utf8).Run();
}
