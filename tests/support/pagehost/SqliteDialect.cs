// What SQLite lacks of the SQL Server text the generated site runs: the table script's
// "if exists ... drop table", identity columns, collations, file groups and the N prefix of literals.
// Everything else (ROW_NUMBER() OVER, LIKE ... ESCAPE, brackets, parameters) SQLite reads as it is.
using System.Collections.Generic;
using System.Text.RegularExpressions;

namespace PageHostSqlite
{
    public static class SqliteDialect
    {
        const RegexOptions Ci = RegexOptions.IgnoreCase;

        public static string Statement(string sql)
        {
            string text = Regex.Replace(sql, @"\[dbo\]\.", "", Ci);
            text = Regex.Replace(text, @"(?<![\w'])N'", "'", Ci);
            text = Regex.Replace(text, @"\bgetdate\(\)", "datetime('now','localtime')", Ci);
            return text;
        }

        // The statements of a table script (batches split at GO lines), each made readable for SQLite.
        public static List<string> Script(string script)
        {
            List<string> statements = new List<string>();
            foreach (string batch in Regex.Split(script, @"^\s*GO\s*$", RegexOptions.Multiline | Ci))
            {
                string text = Statement(batch);
                text = Regex.Replace(text,
                    @"if\s+exists\s*\(select[^\n]*?object_id\('\[?(\w+)\]?'\)[^\n]*?\)\s*drop\s+table\s+\[?\w+\]?",
                    "drop table if exists [$1];", Ci);
                text = Regex.Replace(text, @"\[int\]\s*IDENTITY\s*\(\s*1\s*,\s*1\s*\)\s*NOT NULL\s+PRIMARY KEY",
                                     "INTEGER PRIMARY KEY AUTOINCREMENT", Ci);
                text = Regex.Replace(text, @"\bint\s+IDENTITY\s*\(\s*1\s*,\s*1\s*\)\s*(NOT NULL\s+)?PRIMARY KEY",
                                     "INTEGER PRIMARY KEY AUTOINCREMENT", Ci);
                text = Regex.Replace(text, @"\s*COLLATE\s+\w+", "", Ci);
                text = Regex.Replace(text, @"\)\s*ON\s+\[PRIMARY\]", ");", Ci);
                // SQLite cannot add a foreign key to a table that exists: the test database goes without
                // them, as SQLite itself checks none unless asked to.
                text = Regex.Replace(text, @"^\s*ALTER\s+TABLE\s+\[?\w+\]?\s+ADD\s+FOREIGN\s+KEY[^\r\n]*", "",
                                     RegexOptions.Multiline | Ci);
                text = Regex.Replace(text, @"\[(int|nvarchar|varchar|float|datetime|ntext|text|char|nchar|bit|money|decimal)\]", "$1", Ci);
                if (text.Trim().Length > 0) statements.Add(text);
            }
            return statements;
        }
    }
}
