using System;
using System.Collections.Generic;
using System.Data;
using System.Data.SqlClient;
using System.Text;

namespace DAL
{
    /*图书管理页面的数据访问：语句中只有参数，不拼接任何请求中的值*/
    public static class dalBookPages
    {
        /*列表页的查询条件：为null或空的条件不参与查询*/
        public class Search
        {
            public string title;
            public DateTime? publishedFrom;
            public DateTime? publishedTo;
            public int? categoryId;
            public string houseCode;
        }

        private static void Add(List<SqlParameter> parms, string name, SqlDbType type, object value)
        {
            SqlParameter parm = new SqlParameter(name, type);
            parm.Value = value;
            parms.Add(parm);
        }

        /*查询条件的where子句，条件的值加入parms*/
        private static string Where(Search search, List<SqlParameter> parms)
        {
            StringBuilder where = new StringBuilder();
            if (!string.IsNullOrEmpty(search.title))
            {
                where.Append(" and Book.title like @s_title escape '\\'");
                Add(parms, "@s_title", SqlDbType.VarChar, AdminPagesHelp.Contains(search.title));
            }
            if (search.publishedFrom.HasValue)
            {
                where.Append(" and Book.published>=@s_publishedFrom");
                Add(parms, "@s_publishedFrom", SqlDbType.DateTime, search.publishedFrom.Value.Date);
            }
            if (search.publishedTo.HasValue && search.publishedTo.Value.Date < DateTime.MaxValue.Date)
            {
                where.Append(" and Book.published<@s_publishedTo");
                Add(parms, "@s_publishedTo", SqlDbType.DateTime, search.publishedTo.Value.Date.AddDays(1));
            }
            if (search.categoryId.HasValue)
            {
                where.Append(" and Book.categoryId=@s_categoryId");
                Add(parms, "@s_categoryId", SqlDbType.Int, search.categoryId.Value);
            }
            if (!string.IsNullOrEmpty(search.houseCode))
            {
                where.Append(" and Book.houseCode=@s_houseCode");
                Add(parms, "@s_houseCode", SqlDbType.VarChar, search.houseCode);
            }
            return where.Length == 0 ? "" : " where" + where.ToString().Substring(4);
        }

        /*引用成员所指记录的显示成员，作为“成员名_Text”列*/
        private const string ReferenceColumns = ""
            + ", (select r.name from Category r where r.id=Book.categoryId) as categoryId_Text"
            + ", (select r.name from PublishHouse r where r.code=Book.houseCode) as houseCode_Text"
            ;

        /*符合条件的记录数*/
        public static int Count(Search search)
        {
            List<SqlParameter> parms = new List<SqlParameter>();
            string sql = "select count(*) from Book" + Where(search, parms);
            DataSet ds = DBHelp.ExecuteDataSet(sql, parms.ToArray());
            return Convert.ToInt32(ds.Tables[0].Rows[0][0]);
        }

        /*符合条件的第pageIndex页（从1开始），每页pageSize条，按主键排序*/
        public static DataTable Page(Search search, int pageIndex, int pageSize)
        {
            List<SqlParameter> parms = new List<SqlParameter>();
            string where = Where(search, parms);
            string sql = "select * from (select ROW_NUMBER() over (order by Book.id asc) as PageRowNumber, Book.*"
                       + ReferenceColumns + " from Book" + where
                       + ") as PageRows where PageRowNumber between @pageFirst and @pageLast order by PageRowNumber";
            Add(parms, "@pageFirst", SqlDbType.BigInt, (long)(pageIndex - 1) * pageSize + 1);
            Add(parms, "@pageLast", SqlDbType.BigInt, (long)pageIndex * pageSize);
            DataTable rows = DBHelp.ExecuteDataSet(sql, parms.ToArray()).Tables[0];
            rows.Columns.Remove("PageRowNumber");
            return rows;
        }

        /*主键为key的记录（含引用成员的显示文本），没有时为null*/
        public static DataRow GetRow(int key)
        {
            List<SqlParameter> parms = new List<SqlParameter>();
            Add(parms, "@key", SqlDbType.Int, key);
            DataSet ds = DBHelp.ExecuteDataSet(
                "select Book.*" + ReferenceColumns + " from Book where Book.id=@key", parms.ToArray());
            return ds.Tables.Count > 0 && ds.Tables[0].Rows.Count > 0 ? ds.Tables[0].Rows[0] : null;
        }

        /*删除主键为key的记录，返回删除的行数*/
        public static int Delete(int key)
        {
            List<SqlParameter> parms = new List<SqlParameter>();
            Add(parms, "@key", SqlDbType.Int, key);
            return DBHelp.ExecuteNonQuery("delete from Book where id=@key", parms.ToArray());
        }

        /*下拉框中的Category记录：主键为值，显示成员为文本*/
        public static DataTable LookupCategory()
        {
            return DBHelp.ExecuteDataSet("select id, name from Category order by name", null).Tables[0];
        }

        /*下拉框中的PublishHouse记录：主键为值，显示成员为文本*/
        public static DataTable LookupPublishHouse()
        {
            return DBHelp.ExecuteDataSet("select code, name from PublishHouse order by name", null).Tables[0];
        }
    }
}
