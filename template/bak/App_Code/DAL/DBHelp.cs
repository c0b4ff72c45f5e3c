// Data access for the generated site: every dal<Class> runs its SQL through DBHelp.
// Connection string: <connectionStrings><add name="SiteDb" .../></connectionStrings> in web.config.
using System;
using System.Configuration;
using System.Data;
using System.Data.SqlClient;
using System.Text.RegularExpressions;

namespace DAL
{
    public static class DBHelp
    {
        /// <summary>Name of the connection string in web.config.</summary>
        public const string ConnectionName = "SiteDb";

        public static string ConnectionString
        {
            get
            {
                ConnectionStringSettings settings = ConfigurationManager.ConnectionStrings[ConnectionName];
                if (settings == null || string.IsNullOrEmpty(settings.ConnectionString))
                    throw new ConfigurationErrorsException("web.config has no connection string named \"" + ConnectionName + "\".");
                return settings.ConnectionString;
            }
        }

        private static SqlCommand CreateCommand(SqlConnection connection, string sql, SqlParameter[] parms)
        {
            SqlCommand command = new SqlCommand(sql, connection);
            if (parms != null)
            {
                foreach (SqlParameter parm in parms)
                {
                    // An unset property (null) is stored as NULL instead of failing as a missing parameter.
                    if (parm.Value == null)
                        parm.Value = DBNull.Value;
                    command.Parameters.Add(parm);
                }
            }
            return command;
        }

        /// <summary>Runs a query and returns all its rows.</summary>
        public static DataSet ExecuteDataSet(string sql, SqlParameter[] parms)
        {
            using (SqlConnection connection = new SqlConnection(ConnectionString))
            using (SqlCommand command = CreateCommand(connection, sql, parms))
            using (SqlDataAdapter adapter = new SqlDataAdapter(command))
            {
                DataSet data = new DataSet();
                adapter.Fill(data);
                command.Parameters.Clear();
                return data;
            }
        }

        /// <summary>
        /// Runs a query and returns an open reader. Closing the reader closes its connection.
        /// </summary>
        public static SqlDataReader ExecuteReader(string sql, SqlParameter[] parms)
        {
            SqlConnection connection = new SqlConnection(ConnectionString);
            try
            {
                connection.Open();
                SqlCommand command = CreateCommand(connection, sql, parms);
                SqlDataReader reader = command.ExecuteReader(CommandBehavior.CloseConnection);
                command.Parameters.Clear();
                return reader;
            }
            catch
            {
                connection.Close();
                throw;
            }
        }

        /// <summary>Runs an insert, update or delete and returns the number of rows it changed.</summary>
        public static int ExecuteNonQuery(string sql, SqlParameter[] parms)
        {
            using (SqlConnection connection = new SqlConnection(ConnectionString))
            using (SqlCommand command = CreateCommand(connection, sql, parms))
            {
                connection.Open();
                int rows = command.ExecuteNonQuery();
                command.Parameters.Clear();
                return rows;
            }
        }

        /// <summary>
        /// One page of the rows of sql (a select statement) that meet the condition, in the
        /// given sort order. pageIndex starts at 1; pageCount and recordCount are set to the
        /// number of pages and of matching rows. Used for tables with an integer key.
        /// </summary>
        public static DataTable ExecutePager(int pageIndex, int pageSize, string primaryKey, string showColumns,
            string sql, string where, string sort, out int pageCount, out int recordCount)
        {
            return Page(pageIndex, pageSize, primaryKey, showColumns, sql, where, sort, out pageCount, out recordCount);
        }

        /// <summary>
        /// The same as ExecutePager for tables whose key is text. Rows are numbered in sort
        /// order, so the key's type plays no part in finding the page.
        /// </summary>
        public static DataTable ExecutePagerWhenPrimaryIsString(int pageIndex, int pageSize, string primaryKey,
            string showColumns, string sql, string where, string sort, out int pageCount, out int recordCount)
        {
            return Page(pageIndex, pageSize, primaryKey, showColumns, sql, where, sort, out pageCount, out recordCount);
        }

        // The condition as a where clause: empty when there is none; a condition may be
        // given with or without the word "where".
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

            // Table, column, condition and sort are pieces of SQL and cannot be parameters;
            // the page bounds are.
            string countSql = "select count(*) from " + source;
            string pageSql = "select * from (select ROW_NUMBER() over (order by " + order + ") as PagerRowNumber, "
                + columns + " from " + source + ") as PagerPage"
                + " where PagerRowNumber between @PagerFirst and @PagerLast order by PagerRowNumber";

            using (SqlConnection connection = new SqlConnection(ConnectionString))
            {
                connection.Open();
                using (SqlCommand count = new SqlCommand(countSql, connection))
                {
                    recordCount = Convert.ToInt32(count.ExecuteScalar());
                }
                pageCount = (recordCount + pageSize - 1) / pageSize;

                DataTable table = new DataTable();
                using (SqlCommand page = new SqlCommand(pageSql, connection))
                {
                    page.Parameters.Add("@PagerFirst", SqlDbType.BigInt).Value = (long)(pageIndex - 1) * pageSize + 1;
                    page.Parameters.Add("@PagerLast", SqlDbType.BigInt).Value = (long)pageIndex * pageSize;
                    using (SqlDataAdapter adapter = new SqlDataAdapter(page))
                    {
                        adapter.Fill(table);
                    }
                }
                // The row number only served to find the page.
                if (table.Columns.Contains("PagerRowNumber"))
                    table.Columns.Remove("PagerRowNumber");
                return table;
            }
        }
    }
}
