using System;
using System.Collections.Generic;
using System.Linq;
using System.Text;
using System.Data.SqlClient;
using System.Data;

using ENTITY;

namespace DAL
{
    /*图书业务逻辑层实现*/
    public class dalBook
    {
        /*待执行的sql语句*/
        public static string sql = "";

        /*添加图书实现*/
        public static bool AddBook(ENTITY.Book book)
        {
            string sql = "insert into Book(title,price,cover,published,stock,categoryId,houseCode) values(@title,@price,@cover,@published,@stock,@categoryId,@houseCode)";
            /*构建sql参数*/
            SqlParameter[] parm = new SqlParameter[] {
             new SqlParameter("@title",SqlDbType.VarChar),
             new SqlParameter("@price",SqlDbType.Float),
             new SqlParameter("@cover",SqlDbType.VarChar),
             new SqlParameter("@published",SqlDbType.DateTime),
             new SqlParameter("@stock",SqlDbType.Int),
             new SqlParameter("@categoryId",SqlDbType.Int),
             new SqlParameter("@houseCode",SqlDbType.VarChar)
            };
            /*给参数赋值*/
            parm[0].Value = book.title; //书名
            parm[1].Value = book.price; //价格
            parm[2].Value = book.cover; //
            parm[3].Value = book.published; //出版日期
            parm[4].Value = book.stock; //库存
            parm[5].Value = book.categoryId; //类别
            parm[6].Value = book.houseCode; //出版社

            /*执行sql进行添加*/
            return (DBHelp.ExecuteNonQuery(sql, parm) > 0) ? true : false;
        }

        /*根据id获取某条图书记录*/
        public static ENTITY.Book getSomeBook(int id)
        {
            /*构建查询sql*/
            string sql = "select * from Book where id=" + id;
            SqlDataReader DataRead = DBHelp.ExecuteReader(sql, null);
            ENTITY.Book book = new ENTITY.Book();
            /*如果查询存在记录，就包装到对象中返回*/
            if (DataRead.Read())
            {
                book.title = DataRead["title"].ToString();
                book.id = Convert.ToInt32(DataRead["id"]);
                book.price = float.Parse(DataRead["price"].ToString());
                book.cover = DataRead["cover"].ToString();
                book.published = Convert.ToDateTime(DataRead["published"].ToString());
                book.stock = Convert.ToInt32(DataRead["stock"]);
                book.categoryId = Convert.ToInt32(DataRead["categoryId"]);
                book.houseCode = DataRead["houseCode"].ToString();
            }
            return book;
        }

        /*更新图书实现*/
        public static bool EditBook(ENTITY.Book book)
        {
            string sql = "update Book set title=@title,price=@price,cover=@cover,published=@published,stock=@stock,categoryId=@categoryId,houseCode=@houseCode where id=@id";
            /*构建sql参数信息*/
            SqlParameter[] parm = new SqlParameter[] {
             new SqlParameter("@title",SqlDbType.VarChar),
             new SqlParameter("@price",SqlDbType.Float),
             new SqlParameter("@cover",SqlDbType.VarChar),
             new SqlParameter("@published",SqlDbType.DateTime),
             new SqlParameter("@stock",SqlDbType.Int),
             new SqlParameter("@categoryId",SqlDbType.Int),
             new SqlParameter("@houseCode",SqlDbType.VarChar),
             new SqlParameter("@id",SqlDbType.Int)
            };
            /*为参数赋值*/
            parm[0].Value = book.title;
            parm[1].Value = book.price;
            parm[2].Value = book.cover;
            parm[3].Value = book.published;
            parm[4].Value = book.stock;
            parm[5].Value = book.categoryId;
            parm[6].Value = book.houseCode;
            parm[7].Value = book.id;
            /*执行更新*/
            return (DBHelp.ExecuteNonQuery(sql, parm) > 0) ? true : false;
        }


        /*删除图书*/
        public static bool DelBook(string p)
        {
            string sql = "delete from Book where id in (" + p + ") ";
            return ((DBHelp.ExecuteNonQuery(sql, null)) > 0) ? true : false;
        }


        /*查询图书*/
        public static System.Data.DataTable GetBook(int PageIndex, int PageSize, out int PageCount, out int RecordCount, string strWhere)
        {
            try
            {
                string strSql = " select * from Book";
                string strShow = "*";
                return DAL.DBHelp.ExecutePager(PageIndex, PageSize, "id", strShow, strSql, strWhere, " id asc ", out PageCount, out RecordCount);
            }
            catch (Exception ex)
            {
                throw ex;
            }
        }


        public static DataSet getAllBook()
        {
            try
            {
                string strSql = "select * from Book";
                return DBHelp.ExecuteDataSet(strSql, null);
            }
            catch (Exception ex)
            {
                throw ex;
            }
        }


    }
}
