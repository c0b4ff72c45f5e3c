using System;
using System.Collections.Generic;
using System.Linq;
using System.Text;
using System.Data.SqlClient;
using System.Data;

using ENTITY;

namespace DAL
{
    /*图书类别业务逻辑层实现*/
    public class dalCategory
    {
        /*待执行的sql语句*/
        public static string sql = "";

        /*添加图书类别实现*/
        public static bool AddCategory(ENTITY.Category category)
        {
            string sql = "insert into Category(name) values(@name)";
            /*构建sql参数*/
            SqlParameter[] parm = new SqlParameter[] {
             new SqlParameter("@name",SqlDbType.VarChar)
            };
            /*给参数赋值*/
            parm[0].Value = category.name; //类别名称

            /*执行sql进行添加*/
            return (DBHelp.ExecuteNonQuery(sql, parm) > 0) ? true : false;
        }

        /*根据id获取某条图书类别记录*/
        public static ENTITY.Category getSomeCategory(int id)
        {
            /*构建查询sql*/
            string sql = "select * from Category where id=" + id;
            SqlDataReader DataRead = DBHelp.ExecuteReader(sql, null);
            ENTITY.Category category = new ENTITY.Category();
            /*如果查询存在记录，就包装到对象中返回*/
            if (DataRead.Read())
            {
                category.id = Convert.ToInt32(DataRead["id"]);
                category.name = DataRead["name"].ToString();
            }
            return category;
        }

        /*更新图书类别实现*/
        public static bool EditCategory(ENTITY.Category category)
        {
            string sql = "update Category set name=@name where id=@id";
            /*构建sql参数信息*/
            SqlParameter[] parm = new SqlParameter[] {
             new SqlParameter("@name",SqlDbType.VarChar),
             new SqlParameter("@id",SqlDbType.Int)
            };
            /*为参数赋值*/
            parm[0].Value = category.name;
            parm[1].Value = category.id;
            /*执行更新*/
            return (DBHelp.ExecuteNonQuery(sql, parm) > 0) ? true : false;
        }


        /*删除图书类别*/
        public static bool DelCategory(string p)
        {
            string sql = "delete from Category where id in (" + p + ") ";
            return ((DBHelp.ExecuteNonQuery(sql, null)) > 0) ? true : false;
        }


        /*查询图书类别*/
        public static System.Data.DataTable GetCategory(int PageIndex, int PageSize, out int PageCount, out int RecordCount, string strWhere)
        {
            try
            {
                string strSql = " select * from Category";
                string strShow = "*";
                return DAL.DBHelp.ExecutePager(PageIndex, PageSize, "id", strShow, strSql, strWhere, " id asc ", out PageCount, out RecordCount);
            }
            catch (Exception ex)
            {
                throw ex;
            }
        }


        public static DataSet getAllCategory()
        {
            try
            {
                string strSql = "select * from Category";
                return DBHelp.ExecuteDataSet(strSql, null);
            }
            catch (Exception ex)
            {
                throw ex;
            }
        }


    }
}
