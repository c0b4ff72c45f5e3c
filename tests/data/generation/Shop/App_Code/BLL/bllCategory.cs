using System;
using System.Collections.Generic;
using System.Linq;
using System.Text;

namespace BLL
{
    /*图书类别业务逻辑层*/
    public class bllCategory{
        /*添加图书类别*/
        public static bool AddCategory(ENTITY.Category category)
        {
            return DAL.dalCategory.AddCategory(category);
        }

        /*根据id获取某条图书类别记录*/
        public static ENTITY.Category getSomeCategory(int id)
        {
            return DAL.dalCategory.getSomeCategory(id);
        }

        /*更新图书类别*/
        public static bool EditCategory(ENTITY.Category category)
        {
            return DAL.dalCategory.EditCategory(category);
        }

        /*删除图书类别*/
        public static bool DelCategory(string p)
        {
            return DAL.dalCategory.DelCategory(p);
        }

        /*根据条件分页查询图书类别*/
        public static System.Data.DataTable GetCategory(int NowPage, int PageSize, out int AllPage, out int DataCount, string p)
        {
            return DAL.dalCategory.GetCategory(NowPage, PageSize, out AllPage, out DataCount, p);
        }
        /*查询所有的图书类别*/
        public static System.Data.DataSet getAllCategory()
        {
            return DAL.dalCategory.getAllCategory();
        }
    }
}
