// Builds the test database: the site's table script, statement by statement, on a new SQLite file.
using System.IO;
using Mono.Data.Sqlite;

namespace PageHost
{
    public static class SqliteScript
    {
        public static void Build(string script, string database)
        {
            if (File.Exists(database)) File.Delete(database);
            SqliteConnection.CreateFile(database);
            using (SqliteConnection connection = new SqliteConnection("Data Source=" + database))
            {
                connection.Open();
                foreach (string statement in PageHostSqlite.SqliteDialect.Script(script))
                {
                    using (SqliteCommand command = new SqliteCommand(statement, connection))
                    {
                        try
                        {
                            command.ExecuteNonQuery();
                        }
                        catch (SqliteException error)
                        {
                            throw new InvalidDataException("SQLite refused: " + statement + "\n" + error.Message);
                        }
                    }
                }
            }
        }
    }
}
