#include "transfer/tsql/SqlScriptReader.h"

#include <strings.h>

#include <cctype>
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
  explicit TReader(std::vector<TSqlToken> tokens) : FTokens(std::move(tokens)) {
    if (!FTokens.empty()) {
      FEnd.line = FTokens.back().line;
      FEnd.column = FTokens.back().column + 1;
    }
  }

  TSqlSchema Run() {
    while (!AtEnd()) {
      if (Is("CREATE")) {
        if (Is("TABLE", 1)) {
          CreateTable();
        } else if (Is("TYPE", 1)) {
          CreateType();
        } else if (StartsBatchOwningStatement(1)) {
          SkipBatch();
        } else {
          ++FAt;
        }
      } else if (Is("ALTER")) {
        if (Is("TABLE", 1))
          AlterTable();
        else if (StartsBatchOwningStatement(1))
          SkipBatch();
        else
          ++FAt;
      } else if (Is("EXEC") || Is("EXECUTE")) {
        Exec();
      } else {
        ++FAt;
      }
    }
    return std::move(FSchema);
  }

 private:
  // ---- the token cursor

  bool AtEnd(std::size_t ahead = 0) const { return FAt + ahead >= FTokens.size(); }
  const TSqlToken& Token(std::size_t ahead = 0) const { return AtEnd(ahead) ? FEnd : FTokens[FAt + ahead]; }
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
    return FTokens[FAt++].text;
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

  bool AtBatchEnd() const { return Is("GO") && Token().firstOnLine; }

  void SkipBatch() {
    ++FAt;
    while (!AtEnd() && !AtBatchEnd()) ++FAt;
  }

  // After an unreadable ALTER TABLE: on to the next statement.
  void SkipStatement() {
    while (!AtEnd() && !AtBatchEnd() && !IsSymbol(';')) {
      const TSqlToken& t = Token();
      if (t.firstOnLine && (t.Is("CREATE") || t.Is("ALTER") || t.Is("EXEC") || t.Is("EXECUTE") || t.Is("IF") ||
                            t.Is("INSERT") || t.Is("SET") || t.Is("DROP") || t.Is("PRINT")))
        return;
      ++FAt;
    }
  }

  void Skipped(const TReadError& error, const std::string& statement) {
    FSchema.skipped.push_back(SqlPlace(error.line, error.column) + ": " + statement + " 读不懂（" + error.what +
                              "），已跳过这条语句");
  }

  // ---- CREATE TABLE

  void CreateTable() {
    const std::size_t start = FAt;
    FAt += 2;
    std::string statement = "CREATE TABLE";
    std::size_t open = FTokens.size();
    try {
      TSqlTable table;
      table.line = Token().line;
      table.column = Token().column;
      table.name = ObjectName("表名");
      statement += " " + table.name;
      if (table.name.empty() || table.name[0] == '#') {
        // A temporary table belongs to a batch's work, not to the schema.
        FAt = start + 1;
        return;
      }
      open = FAt;
      ExpectSymbol('(');
      do {
        if (IsSymbol(')')) break;  // a trailing comma
        TableElement(table, false);
      } while (AcceptSymbol(','));
      ExpectSymbol(')');
      FSchema.tables.push_back(std::move(table));
    } catch (const TReadError& error) {
      Skipped(error, statement);
      // Resume after the table's column list, or at the next batch when it never closes.
      if (open == FTokens.size()) {
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

  // One column or table constraint, up to the comma or parenthesis that ends it.
  void TableElement(TSqlTable& table, bool altering) {
    if (Is("CONSTRAINT") || Is("PRIMARY") || Is("UNIQUE") || Is("FOREIGN") || Is("CHECK") || Is("DEFAULT")) {
      TableConstraint(table);
    } else if (Is("INDEX") || Is("PERIOD")) {
      SkipToElementEnd();
    } else if (altering && Is("COLUMN")) {
      ++FAt;
      Column(table);
    } else {
      Column(table);
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
    if (Accept("CONSTRAINT")) Name("约束名");
    if (Accept("PRIMARY")) {
      Expect("KEY");
      ClusterKind();
      table.primaryKeys.push_back(ColumnList());
      IndexOptions();
    } else if (Accept("UNIQUE")) {
      ClusterKind();
      ColumnList();
      IndexOptions();
    } else if (Accept("FOREIGN")) {
      Expect("KEY");
      TSqlForeignKey key;
      key.columns = ColumnList();
      Expect("REFERENCES");
      References(key);
      table.foreignKeys.push_back(std::move(key));
    } else if (Accept("CHECK")) {
      NotForReplication();
      SkipParentheses();
    } else if (Accept("DEFAULT")) {
      Expression();
      if (Accept("FOR")) Name("列名");
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

  // A default's value: a parenthesised expression, or a constant or function call, with a sign.
  void Expression() {
    if (IsSymbol('(')) {
      SkipParentheses();
      return;
    }
    AcceptSymbol('-') || AcceptSymbol('+');
    if (AtEnd() || IsSymbol(',') || IsSymbol(')')) Fail("应为默认值");
    ++FAt;
    if (IsSymbol('(')) SkipParentheses();
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

  void Column(TSqlTable& table) {
    TSqlColumn column;
    column.line = Token().line;
    column.column = Token().column;
    column.name = Name("列名");
    if (Accept("AS")) {
      column.computed = true;
      SkipToElementEnd();
      table.columns.push_back(std::move(column));
      return;
    }
    ColumnType(column.typeName, column.length);
    while (!AtEnd() && !IsSymbol(',') && !IsSymbol(')')) {
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
      } else if (Accept("MASKED") || Accept("ENCRYPTED")) {
        Expect("WITH");
        SkipParentheses();
      } else {
        ColumnConstraint(table, column);
      }
    }
    table.columns.push_back(std::move(column));
  }

  void ColumnConstraint(TSqlTable& table, const TSqlColumn& column) {
    if (Accept("CONSTRAINT")) Name("约束名");
    if (Accept("PRIMARY")) {
      Expect("KEY");
      ClusterKind();
      IndexOptions();
      table.primaryKeys.push_back({column.name});
    } else if (Accept("UNIQUE")) {
      ClusterKind();
      IndexOptions();
    } else if (Accept("DEFAULT")) {
      Expression();
    } else if (Accept("CHECK")) {
      NotForReplication();
      SkipParentheses();
    } else if (Is("FOREIGN") || Is("REFERENCES")) {
      if (Accept("FOREIGN")) Expect("KEY");
      Expect("REFERENCES");
      TSqlForeignKey key;
      key.columns = {column.name};
      References(key);
      table.foreignKeys.push_back(std::move(key));
    } else {
      Fail("列 " + column.name + " 的定义中不认识这个词");
    }
  }

  // ---- ALTER TABLE name [WITH CHECK|NOCHECK] ADD ...; other changes are passed over.

  void AlterTable() {
    const TSqlToken& first = Token();
    FAt += 2;
    std::string statement = "ALTER TABLE";
    try {
      const std::string name = ObjectName("表名");
      statement += " " + name;
      if (Is("WITH") && (Is("CHECK", 1) || Is("NOCHECK", 1))) FAt += 2;
      if (!Accept("ADD")) return;
      TSqlTable* table = FindTable(name);
      if (table == nullptr) {
        if (name[0] != '#')
          FSchema.skipped.push_back(SqlPlace(first.line, first.column) + ": " + statement + " 的表不在脚本中，已跳过");
        return;
      }
      TSqlTable added;
      do {
        TableElement(added, true);
      } while (AcceptSymbol(','));
      if (!AtEnd() && !IsSymbol(';') && !AtBatchEnd() && !Token().firstOnLine) Fail("约束后面多了内容");
      for (auto& column : added.columns) table->columns.push_back(std::move(column));
      for (auto& key : added.primaryKeys) table->primaryKeys.push_back(std::move(key));
      for (auto& key : added.foreignKeys) table->foreignKeys.push_back(std::move(key));
    } catch (const TReadError& error) {
      Skipped(error, statement);
      SkipStatement();
    }
  }

  TSqlTable* FindTable(const std::string& name) {
    for (TSqlTable& table : FSchema.tables)
      if (SameName(table.name, name)) return &table;
    return nullptr;
  }

  // ---- EXEC sp_addextendedproperty / sp_addtype; other procedures are passed over.

  struct TArgument {
    std::string name;  // @name when given by name, lower case; empty when positional
    std::string value;
    bool isNull = false;
  };

  void Exec() {
    ++FAt;
    if (AtEnd() || !Token().IsName()) return;
    const std::size_t start = FAt;
    std::string procedure;
    try {
      procedure = ObjectName("存储过程名");
    } catch (const TReadError&) {
      FAt = start;
      return;
    }
    const bool description = SameName(procedure, "sp_addextendedproperty");
    const bool aliasType = SameName(procedure, "sp_addtype");
    if (!description && !aliasType) return;
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
    if (description)
      Description(arguments);
    else
      AliasType(arguments);
  }

  // Positional arguments take the procedure's parameter order; named ones their name.
  static std::string Argument(const std::vector<TArgument>& arguments, std::size_t position, const char* name) {
    for (const TArgument& argument : arguments)
      if (argument.name == name) return argument.isNull ? "" : argument.value;
    if (position < arguments.size() && arguments[position].name.empty())
      return arguments[position].isNull ? "" : arguments[position].value;
    return "";
  }

  void Description(const std::vector<TArgument>& arguments) {
    if (!SameName(Argument(arguments, 0, "@name"), "MS_Description")) return;
    if (!SameName(Argument(arguments, 4, "@level1type"), "TABLE")) return;
    TSqlDescription entry;
    entry.text = Argument(arguments, 1, "@value");
    entry.table = Argument(arguments, 5, "@level1name");
    const std::string level2 = Argument(arguments, 6, "@level2type");
    if (!level2.empty()) {
      if (!SameName(level2, "COLUMN")) return;
      entry.column = Argument(arguments, 7, "@level2name");
    }
    FSchema.descriptions.push_back(std::move(entry));
  }

  void AliasType(const std::vector<TArgument>& arguments) {
    TSqlAliasType alias;
    alias.name = Argument(arguments, 0, "@typename");
    const std::string base = Argument(arguments, 1, "@phystype");
    const std::string nullType = Argument(arguments, 2, "@nulltype");
    if (alias.name.empty() || base.empty()) return;
    try {
      TReader inner(TokenizeSql(base));
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

  std::vector<TSqlToken> FTokens;
  TSqlToken FEnd;
  std::size_t FAt = 0;
  TSqlSchema FSchema;
};

}  // namespace

TSqlSchema ReadSqlScript(const std::string& utf8) {
  return TReader(TokenizeSql(utf8)).Run();
}
