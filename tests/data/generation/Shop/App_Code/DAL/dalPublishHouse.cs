using System;
using System.Collections.Generic;
using System.Linq;
using System.Text;
using System.Data.SqlClient;
using System.Data;

using ENTITY;

namespace DAL
{
    /*出版社业务逻辑层实现*/
    public class dalPublishHouse
    {
        /*待执行的sql语句*/
        public static string sql = "";

        /*添加出版社实现*/
        public static bool AddPublishHouse(ENTITY.PublishHouse publishHouse)
        {
            string sql = "insert into PublishHouse(name,code,founded) values(@name,@code,@founded)";
            /*构建sql参数*/
            SqlParameter[] parm = new SqlParameter[] {
             new SqlParameter("@name",SqlDbType.VarChar),
             new SqlParameter("@code",SqlDbType.VarChar),
             new SqlParameter("@founded",SqlDbType.DateTime)
            };
            /*给参数赋值*/
            parm[0].Value = publishHouse.name; //社名
            parm[1].Value = publishHouse.code; //社号
            parm[2].Value = publishHouse.founded; //成立日期

            /*执行sql进行添加*/
            return (DBHelp.ExecuteNonQuery(sql, parm) > 0) ? true : false;
        }

        /*根据code获取某条出版社记录*/
        public static ENTITY.PublishHouse getSomePublishHouse(string code)
        {
            /*构建查询sql*/
            string sql = "select * from PublishHouse where code='" + code + "'"; 
            SqlDataReader DataRead = DBHelp.ExecuteReader(sql, null);
            ENTITY.PublishHouse publishHouse = new ENTITY.PublishHouse();
            /*如果查询存在记录，就包装到对象中返回*/
            if (DataRead.Read())
            {
                publishHouse.name = DataRead["name"].ToString();
                publishHouse.code = DataRead["code"].ToString();
                publishHouse.founded = Convert.ToDateTime(DataRead["founded"].ToString());
            }
            return publishHouse;
        }

        /*更新出版社实现*/
        public static bool EditPublishHouse(ENTITY.PublishHouse publishHouse)
        {
            string sql = "update PublishHouse set name=@name,founded=@founded where code=@code";
            /*构建sql参数信息*/
            SqlParameter[] parm = new SqlParameter[] {
             new SqlParameter("@name",SqlDbType.VarChar),
             new SqlParameter("@founded",SqlDbType.DateTime),
             new SqlParameter("@code",SqlDbType.VarChar)
            };
            /*为参数赋值*/
            parm[0].Value = publishHouse.name;
            parm[1].Value = publishHouse.founded;
            parm[2].Value = publishHouse.code;
            /*执行更新*/
            return (DBHelp.ExecuteNonQuery(sql, parm) > 0) ? true : false;
        }


        /*删除出版社*/
        public static bool DelPublishHouse(string p)
        {
            string sql = "";
            string[] ids = p.Split(',');
            for(int i=0;i<ids.Length;i++)
            {
                if(i != ids.Length-1)
                  sql += "'" + ids[i] + "',";
                else
                  sql += "'" + ids[i] + "'";
            }
            sql = "delete from PublishHouse where code in (" + sql + ")";
            return ((DBHelp.ExecuteNonQuery(sql, null)) > 0) ? true : false;
        }


        /*查询出版社*/
        public static System.Data.DataTable GetPublishHouse(int PageIndex, int PageSize, out int PageCount, out int RecordCount, string strWhere)
        {
            try
            {
                string strSql = " select * from PublishHouse";
                string strShow = "*";
                return DAL.DBHelp.ExecutePagerWhenPrimaryIsString(PageIndex, PageSize, "code", strShow, strSql, strWhere, " code asc ", out PageCount, out RecordCount);
            }
            catch (Exception ex)
            {
                throw ex;
            }
        }


        public static DataSet getAllPublishHouse()
        {
            try
            {
                string strSql = "select * from PublishHouse";
                return DBHelp.ExecuteDataSet(strSql, null);
            }
            catch (Exception ex)
            {
                throw ex;
            }
        }


    }
}
