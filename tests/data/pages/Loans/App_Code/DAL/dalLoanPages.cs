using System;
using System.Collections.Generic;
using System.Data;
using System.Data.SqlClient;
using System.Text;

namespace DAL
{
    /*借阅记录管理页面的数据访问：语句中只有参数，不拼接任何请求中的值*/
    public static class dalLoanPages
    {
        /*列表页的查询条件：为null或空的条件不参与查询*/
        public class Search
        {
            public int? lender;
            public int? borrower;
            public float? amount;
            public DateTime? lentOnFrom;
            public DateTime? lentOnTo;
            public string note;
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
            if (search.lender.HasValue)
            {
                where.Append(" and Loan.lender=@s_lender");
                Add(parms, "@s_lender", SqlDbType.Int, search.lender.Value);
            }
            if (search.borrower.HasValue)
            {
                where.Append(" and Loan.borrower=@s_borrower");
                Add(parms, "@s_borrower", SqlDbType.Int, search.borrower.Value);
            }
            if (search.amount.HasValue)
            {
                where.Append(" and Loan.amount=@s_amount");
                Add(parms, "@s_amount", SqlDbType.Float, search.amount.Value);
            }
            if (search.lentOnFrom.HasValue)
            {
                where.Append(" and Loan.lentOn>=@s_lentOnFrom");
                Add(parms, "@s_lentOnFrom", SqlDbType.DateTime, search.lentOnFrom.Value.Date);
            }
            if (search.lentOnTo.HasValue && search.lentOnTo.Value.Date < DateTime.MaxValue.Date)
            {
                where.Append(" and Loan.lentOn<@s_lentOnTo");
                Add(parms, "@s_lentOnTo", SqlDbType.DateTime, search.lentOnTo.Value.Date.AddDays(1));
            }
            if (!string.IsNullOrEmpty(search.note))
            {
                where.Append(" and Loan.note like @s_note escape '\\'");
                Add(parms, "@s_note", SqlDbType.VarChar, AdminPagesHelp.Contains(search.note));
            }
            return where.Length == 0 ? "" : " where" + where.ToString().Substring(4);
        }

        /*引用成员所指记录的显示成员，作为“成员名_Text”列*/
        private const string ReferenceColumns = ""
            + ", (select r.name from Person r where r.id=Loan.lender) as lender_Text"
            + ", (select r.name from Person r where r.id=Loan.borrower) as borrower_Text"
            ;

        /*符合条件的记录数*/
        public static int Count(Search search)
        {
            List<SqlParameter> parms = new List<SqlParameter>();
            string sql = "select count(*) from Loan" + Where(search, parms);
            DataSet ds = DBHelp.ExecuteDataSet(sql, parms.ToArray());
            return Convert.ToInt32(ds.Tables[0].Rows[0][0]);
        }

        /*符合条件的第pageIndex页（从1开始），每页pageSize条，按主键排序*/
        public static DataTable Page(Search search, int pageIndex, int pageSize)
        {
            List<SqlParameter> parms = new List<SqlParameter>();
            string where = Where(search, parms);
            string sql = "select * from (select ROW_NUMBER() over (order by Loan.id asc) as PageRowNumber, Loan.*"
                       + ReferenceColumns + " from Loan" + where
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
                "select Loan.*" + ReferenceColumns + " from Loan where Loan.id=@key", parms.ToArray());
            return ds.Tables.Count > 0 && ds.Tables[0].Rows.Count > 0 ? ds.Tables[0].Rows[0] : null;
        }

        /*删除主键为key的记录，返回删除的行数*/
        public static int Delete(int key)
        {
            List<SqlParameter> parms = new List<SqlParameter>();
            Add(parms, "@key", SqlDbType.Int, key);
            return DBHelp.ExecuteNonQuery("delete from Loan where id=@key", parms.ToArray());
        }

        /*下拉框中的Person记录：主键为值，显示成员为文本*/
        public static DataTable LookupPerson()
        {
            return DBHelp.ExecuteDataSet("select id, name from Person order by name", null).Tables[0];
        }
    }
}
