using System;
using System.Collections.Generic;
using System.Linq;
using System.Text;
using System.Data.SqlClient;
using System.Data;

using ENTITY;

namespace DAL
{
    /*业务逻辑层实现*/
    public class daltag
    {
        /*待执行的sql语句*/
        public static string sql = "";

        /*添加实现*/
        public static bool Addtag(ENTITY.tag tag)
        {
            string sql = "insert into tag() values()";
            /*构建sql参数*/
            SqlParameter[] parm = new SqlParameter[] {
            };
            /*给参数赋值*/

            /*执行sql进行添加*/
            return (DBHelp.ExecuteNonQuery(sql, parm) > 0) ? true : false;
        }

        /*根据tagId获取某条记录*/
        public static ENTITY.tag getSometag(int tagId)
        {
            /*构建查询sql*/
            string sql = "select * from tag where tagId=" + tagId;
            SqlDataReader DataRead = DBHelp.ExecuteReader(sql, null);
            ENTITY.tag tag = new ENTITY.tag();
            /*如果查询存在记录，就包装到对象中返回*/
            if (DataRead.Read())
            {
                tag.tagId = Convert.ToInt32(DataRead["tagId"]);
            }
            return tag;
        }

        /*更新实现*/
        public static bool Edittag(ENTITY.tag tag)
        {
            string sql = "update tag set  where tagId=@tagId";
            /*构建sql参数信息*/
            SqlParameter[] parm = new SqlParameter[] {
             new SqlParameter("@tagId",SqlDbType.Int)
            };
            /*为参数赋值*/
            parm[0].Value = tag.tagId;
            /*执行更新*/
            return (DBHelp.ExecuteNonQuery(sql, parm) > 0) ? true : false;
        }


        /*删除*/
        public static bool Deltag(string p)
        {
            string sql = "delete from tag where tagId in (" + p + ") ";
            return ((DBHelp.ExecuteNonQuery(sql, null)) > 0) ? true : false;
        }


        /*查询*/
        public static System.Data.DataTable Gettag(int PageIndex, int PageSize, out int PageCount, out int RecordCount, string strWhere)
        {
            try
            {
                string strSql = " select * from tag";
                string strShow = "*";
                return DAL.DBHelp.ExecutePager(PageIndex, PageSize, "tagId", strShow, strSql, strWhere, " tagId asc ", out PageCount, out RecordCount);
            }
            catch (Exception ex)
            {
                throw ex;
            }
        }


        public static DataSet getAlltag()
        {
            try
            {
                string strSql = "select * from tag";
                return DBHelp.ExecuteDataSet(strSql, null);
            }
            catch (Exception ex)
            {
                throw ex;
            }
        }


    }
}
