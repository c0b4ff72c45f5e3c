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
            public int? value_lender;
            public int? value_borrower;
            public double? value_amount;
            public DateTime? from_lentOn;
            public DateTime? to_lentOn;
            public string value_note;
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
            if (search.value_lender.HasValue)
            {
                where.Append(" and Loan.lender=@value_lender");
                Add(parms, "@value_lender", SqlDbType.Int, search.value_lender.Value);
            }
            if (search.value_borrower.HasValue)
            {
                where.Append(" and Loan.borrower=@value_borrower");
                Add(parms, "@value_borrower", SqlDbType.Int, search.value_borrower.Value);
            }
            if (search.value_amount.HasValue)
            {
                where.Append(" and Loan.amount in (@value_amount, @float_amount)");
                Add(parms, "@value_amount", SqlDbType.Float, search.value_amount.Value);
                Add(parms, "@float_amount", SqlDbType.Float, AdminPagesHelp.AsFloat(search.value_amount.Value));
            }
            if (search.from_lentOn.HasValue)
            {
                where.Append(" and Loan.lentOn>=@from_lentOn");
                Add(parms, "@from_lentOn", SqlDbType.DateTime, search.from_lentOn.Value.Date);
            }
            if (search.to_lentOn.HasValue && search.to_lentOn.Value.Date < DateTime.MaxValue.Date)
            {
                where.Append(" and Loan.lentOn<@to_lentOn");
                Add(parms, "@to_lentOn", SqlDbType.DateTime, search.to_lentOn.Value.Date.AddDays(1));
            }
            if (!string.IsNullOrEmpty(search.value_note))
            {
                where.Append(" and Loan.note like @value_note escape '\\'");
                Add(parms, "@value_note", SqlDbType.VarChar, AdminPagesHelp.Contains(search.value_note));
            }
            return where.Length == 0 ? "" : " where" + where.ToString().Substring(4);
        }

        /*引用成员所指记录的显示成员，作为“_Text_成员名”列（名称以下划线开头，不会与任何成员名相同）*/
        private const string ReferenceColumns = ""
            + ", (select _r.name from Person _r where _r.id=Loan.lender) as _Text_lender"
            + ", (select _r.name from Person _r where _r.id=Loan.borrower) as _Text_borrower"
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
            string sql = "select * from (select ROW_NUMBER() over (order by Loan.id asc) as _RowNumber, Loan.*"
                       + ReferenceColumns + " from Loan" + where
                       + ") as _Rows where _RowNumber between @pageFirst and @pageLast order by _RowNumber";
            Add(parms, "@pageFirst", SqlDbType.BigInt, (long)(pageIndex - 1) * pageSize + 1);
            Add(parms, "@pageLast", SqlDbType.BigInt, (long)pageIndex * pageSize);
            DataTable rows = DBHelp.ExecuteDataSet(sql, parms.ToArray()).Tables[0];
            rows.Columns.Remove("_RowNumber");
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
