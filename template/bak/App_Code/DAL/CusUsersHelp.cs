using System;
using System.Data;
using System.Data.SqlClient;
using System.Security.Cryptography;
using System.Text;

namespace DAL
{
    /// <summary>
    /// 站点用户表CusUsers的访问：登录校验与注册。
    /// 密码以其UTF-8字节的MD5摘要（32位大写十六进制）保存，与建表脚本插入的admin记录一致。
    /// CusType为0的用户是管理员，注册的普通用户CusType为1。
    /// </summary>
    public static class CusUsersHelp
    {
        public static string Digest(string password)
        {
            using (MD5 md5 = MD5.Create())
            {
                byte[] hash = md5.ComputeHash(Encoding.UTF8.GetBytes(password));
                StringBuilder hex = new StringBuilder(32);
                foreach (byte b in hash)
                {
                    hex.Append(b.ToString("X2"));
                }
                return hex.ToString();
            }
        }

        /// <summary>管理员的customerid；用户名或密码不符时为-1。</summary>
        public static int FindAdministrator(string name, string password)
        {
            SqlParameter[] parm = {
                new SqlParameter("@name", SqlDbType.NVarChar, 50),
                new SqlParameter("@pwd", SqlDbType.VarChar, 50)
            };
            parm[0].Value = name;
            parm[1].Value = Digest(password);
            DataSet ds = DBHelp.ExecuteDataSet(
                "select customerid from CusUsers where Customername=@name and customerpwd=@pwd and CusType=0", parm);
            if (ds.Tables.Count == 0 || ds.Tables[0].Rows.Count == 0)
            {
                return -1;
            }
            return Convert.ToInt32(ds.Tables[0].Rows[0]["customerid"]);
        }

        public static bool NameExists(string name)
        {
            SqlParameter[] parm = { new SqlParameter("@name", SqlDbType.NVarChar, 50) };
            parm[0].Value = name;
            DataSet ds = DBHelp.ExecuteDataSet("select customerid from CusUsers where Customername=@name", parm);
            return ds.Tables.Count > 0 && ds.Tables[0].Rows.Count > 0;
        }

        public static bool Register(string name, string password, string realName, string idCard, string address,
                                    string phone)
        {
            SqlParameter[] parm = {
                new SqlParameter("@name", SqlDbType.NVarChar, 50),
                new SqlParameter("@pwd", SqlDbType.VarChar, 50),
                new SqlParameter("@realName", SqlDbType.NVarChar, 50),
                new SqlParameter("@idCard", SqlDbType.NVarChar, 50),
                new SqlParameter("@address", SqlDbType.NVarChar, 50),
                new SqlParameter("@phone", SqlDbType.VarChar, 30)
            };
            parm[0].Value = name;
            parm[1].Value = Digest(password);
            parm[2].Value = realName;
            parm[3].Value = idCard;
            parm[4].Value = address;
            parm[5].Value = phone;
            string sql = "insert into CusUsers(Customername,customerpwd,Realname,CustomerSfz,address,telphone,IsCusAdmin,CusType)"
                       + " values (@name,@pwd,@realName,@idCard,@address,@phone,0,1)";
            return DBHelp.ExecuteNonQuery(sql, parm) > 0;
        }
    }
}
