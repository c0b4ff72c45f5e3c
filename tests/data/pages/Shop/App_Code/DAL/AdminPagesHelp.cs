using System;
using System.Data;
using System.Data.SqlClient;
using System.Text;

namespace DAL
{
    /// <summary>
    /// 管理页面共用的数据访问：管理员的密码，以及查询条件中LIKE的转义和浮点数的比较值。
    /// </summary>
    public static class AdminPagesHelp
    {
        /// <summary>建表脚本插入的admin记录的固定密码摘要：仍在使用时管理首页给出提醒。</summary>
        public const string FixedPasswordDigest = "7C4E19A0B53D28F6E1A9047D3B6C52E8";

        /// <summary>"包含text"的LIKE模式：\、%、_和[前加\（语句中写ESCAPE '\'）。</summary>
        public static string Contains(string text)
        {
            StringBuilder pattern = new StringBuilder("%");
            foreach (char c in text)
            {
                if (c == '\\' || c == '%' || c == '_' || c == '[')
                {
                    pattern.Append('\\');
                }
                pattern.Append(c);
            }
            return pattern.Append('%').ToString();
        }

        /// <summary>
        /// value经实体类的float保存后在数据库中的值（float转回double，如1.1成为1.100000023841858）；
        /// float容纳不下时（超出范围或变为0）为value本身。浮点型的精确查询同时比较这两个值。
        /// </summary>
        public static double AsFloat(double value)
        {
            float saved = (float)value;
            return float.IsInfinity(saved) || (saved == 0 && value != 0) ? value : saved;
        }

        /// <summary>该管理员是否仍在使用建表脚本中的固定密码。</summary>
        public static bool UsesFixedPassword(int adminId)
        {
            SqlParameter[] parm = {
                new SqlParameter("@id", SqlDbType.Int),
                new SqlParameter("@pwd", SqlDbType.VarChar, 50)
            };
            parm[0].Value = adminId;
            parm[1].Value = FixedPasswordDigest;
            DataSet ds = DBHelp.ExecuteDataSet("select count(*) from CusUsers where customerid=@id and customerpwd=@pwd", parm);
            return Convert.ToInt32(ds.Tables[0].Rows[0][0]) > 0;
        }

        /// <summary>原密码正确时把管理员的密码改为newPassword。</summary>
        public static bool ChangePassword(int adminId, string oldPassword, string newPassword)
        {
            SqlParameter[] parm = {
                new SqlParameter("@id", SqlDbType.Int),
                new SqlParameter("@old", SqlDbType.VarChar, 50),
                new SqlParameter("@new", SqlDbType.VarChar, 50)
            };
            parm[0].Value = adminId;
            parm[1].Value = CusUsersHelp.Digest(oldPassword);
            parm[2].Value = CusUsersHelp.Digest(newPassword);
            return DBHelp.ExecuteNonQuery(
                "update CusUsers set customerpwd=@new where customerid=@id and customerpwd=@old and CusType=0", parm) > 0;
        }
    }
}
