// Stand-in for the site's DAL.DBHelp in the tests: the same class and signatures, but every statement
// runs on a SQLite file (Mono.Data.Sqlite) built from the site's own table script, and is recorded with
// its parameters. ExecuteReader fails: there is no SqlDataReader without SQL Server.
// The host puts the database's and the record's paths into the application domain's data.
using System;
using System.Configuration;
using System.Data;
using System.Data.SqlClient;
using System.IO;
using System.Text;
using System.Text.RegularExpressions;
using Mono.Data.Sqlite;

namespace DAL
{
    public static class DBHelp
    {
        /// <summary>Name of the connection string in web.config.</summary>
        public const string ConnectionName = "SiteDb";

        static readonly object Lock = new object();

        public static string ConnectionString
        {
            get
            {
                string file = AppDomain.CurrentDomain.GetData("PageHost.Database") as string;
                if (string.IsNullOrEmpty(file) || !File.Exists(file))
                    throw new SqlStandInException("no database: " + (file ?? "(none)"));
                return "Data Source=" + file + ";FailIfMissing=True";
            }
        }

        static void Record(string sql, SqlParameter[] parms)
        {
            string log = AppDomain.CurrentDomain.GetData("PageHost.Log") as string;
            if (string.IsNullOrEmpty(log)) return;
            StringBuilder entry = new StringBuilder();
            entry.Append("SQL\t").Append(Escape(sql)).Append('\n');
            if (parms != null)
            {
                foreach (SqlParameter parm in parms)
                {
                    object value = parm.Value;
                    entry.Append("PARAM\t").Append(parm.ParameterName).Append('\t').Append(parm.SqlDbType).Append('\t')
                         .Append(value == null || value is DBNull ? "NULL" : Escape(Convert.ToString(value,
                                 System.Globalization.CultureInfo.InvariantCulture))).Append('\n');
                }
            }
            lock (Lock) File.AppendAllText(log, entry.ToString(), new UTF8Encoding(false));
        }

        static string Escape(string text)
        {
            return text.Replace("\\", "\\\\").Replace("\r", "\\r").Replace("\n", "\\n").Replace("\t", "\\t");
        }

        static SqliteCommand CreateCommand(SqliteConnection connection, string sql, SqlParameter[] parms)
        {
            SqliteCommand command = new SqliteCommand(PageHostSqlite.SqliteDialect.Statement(sql), connection);
            if (parms != null)
            {
                foreach (SqlParameter parm in parms)
                {
                    if (parm.Value == null)
                        parm.Value = DBNull.Value;
                    object value = parm.Value;
                    // SQL Server compares dates as dates; SQLite compares the stored text, so dates go in
                    // one sortable form.
                    if (value is DateTime) value = ((DateTime)value).ToString("yyyy-MM-dd HH:mm:ss");
                    command.Parameters.Add(new SqliteParameter(parm.ParameterName, value));
                }
            }
            return command;
        }

        static SqliteConnection Open()
        {
            SqliteConnection connection = new SqliteConnection(ConnectionString);
            connection.Open();
            return connection;
        }

        /// <summary>Runs a query and returns all its rows.</summary>
        public static DataSet ExecuteDataSet(string sql, SqlParameter[] parms)
        {
            Record(sql, parms);
            using (SqliteConnection connection = Open())
            using (SqliteCommand command = CreateCommand(connection, sql, parms))
            using (SqliteDataAdapter adapter = new SqliteDataAdapter(command))
            {
                DataSet data = new DataSet();
                adapter.Fill(data);
                return data;
            }
        }

        /// <summary>Fails: a SqlDataReader needs SQL Server.</summary>
        public static SqlDataReader ExecuteReader(string sql, SqlParameter[] parms)
        {
            Record(sql, parms);
            throw new SqlStandInException("ExecuteReader is not available in the test database: " + sql);
        }

        /// <summary>Runs an insert, update or delete and returns the number of rows it changed.</summary>
        public static int ExecuteNonQuery(string sql, SqlParameter[] parms)
        {
            Record(sql, parms);
            using (SqliteConnection connection = Open())
            using (SqliteCommand command = CreateCommand(connection, sql, parms))
            {
                return command.ExecuteNonQuery();
            }
        }

        public static DataTable ExecutePager(int pageIndex, int pageSize, string primaryKey, string showColumns,
            string sql, string where, string sort, out int pageCount, out int recordCount)
        {
            return Page(pageIndex, pageSize, primaryKey, showColumns, sql, where, sort, out pageCount, out recordCount);
        }

        public static DataTable ExecutePagerWhenPrimaryIsString(int pageIndex, int pageSize, string primaryKey,
            string showColumns, string sql, string where, string sort, out int pageCount, out int recordCount)
        {
            return Page(pageIndex, pageSize, primaryKey, showColumns, sql, where, sort, out pageCount, out recordCount);
        }

        private static string WhereClause(string where)
        {
            if (where == null || where.Trim().Length == 0)
                return "";
            string condition = where.Trim();
            if (Regex.IsMatch(condition, @"^where\s", RegexOptions.IgnoreCase))
                condition = condition.Substring(5).Trim();
            return " where " + condition;
        }

        private static DataTable Page(int pageIndex, int pageSize, string primaryKey, string showColumns,
            string sql, string where, string sort, out int pageCount, out int recordCount)
        {
            if (pageSize < 1)
                throw new ArgumentOutOfRangeException("pageSize", "The page size must be at least 1.");
            if (pageIndex < 1)
                pageIndex = 1;
            string columns = string.IsNullOrEmpty(showColumns) ? "*" : showColumns;
            string order = string.IsNullOrEmpty(sort) || sort.Trim().Length == 0 ? primaryKey + " asc" : sort;
            string source = "(" + sql + ") as PagerSource" + WhereClause(where);
            string countSql = "select count(*) from " + source;
            string pageSql = "select * from (select ROW_NUMBER() over (order by " + order + ") as PagerRowNumber, "
                + columns + " from " + source + ") as PagerPage"
                + " where PagerRowNumber between @PagerFirst and @PagerLast order by PagerRowNumber";
            Record(countSql, null);
            Record(pageSql, null);
            using (SqliteConnection connection = Open())
            {
                using (SqliteCommand count = new SqliteCommand(PageHostSqlite.SqliteDialect.Statement(countSql), connection))
                    recordCount = Convert.ToInt32(count.ExecuteScalar());
                pageCount = (recordCount + pageSize - 1) / pageSize;
                DataTable table = new DataTable();
                using (SqliteCommand page = new SqliteCommand(PageHostSqlite.SqliteDialect.Statement(pageSql), connection))
                {
                    page.Parameters.Add(new SqliteParameter("@PagerFirst", (long)(pageIndex - 1) * pageSize + 1));
                    page.Parameters.Add(new SqliteParameter("@PagerLast", (long)pageIndex * pageSize));
                    using (SqliteDataAdapter adapter = new SqliteDataAdapter(page))
                        adapter.Fill(table);
                }
                if (table.Columns.Contains("PagerRowNumber"))
                    table.Columns.Remove("PagerRowNumber");
                return table;
            }
        }
    }

    /// <summary>A failure of the stand-in database, shown like a failed connection to SQL Server.</summary>
    public class SqlStandInException : Exception
    {
        public SqlStandInException(string message) : base(message) { }
    }
}
