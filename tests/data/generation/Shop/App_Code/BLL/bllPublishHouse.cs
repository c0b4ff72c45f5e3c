using System;
using System.Collections.Generic;
using System.Linq;
using System.Text;

namespace BLL
{
    /*出版社业务逻辑层*/
    public class bllPublishHouse{
        /*添加出版社*/
        public static bool AddPublishHouse(ENTITY.PublishHouse publishHouse)
        {
            return DAL.dalPublishHouse.AddPublishHouse(publishHouse);
        }

        /*根据code获取某条出版社记录*/
        public static ENTITY.PublishHouse getSomePublishHouse(string code)
        {
            return DAL.dalPublishHouse.getSomePublishHouse(code);
        }

        /*更新出版社*/
        public static bool EditPublishHouse(ENTITY.PublishHouse publishHouse)
        {
            return DAL.dalPublishHouse.EditPublishHouse(publishHouse);
        }

        /*删除出版社*/
        public static bool DelPublishHouse(string p)
        {
            return DAL.dalPublishHouse.DelPublishHouse(p);
        }

        /*根据条件分页查询出版社*/
        public static System.Data.DataTable GetPublishHouse(int NowPage, int PageSize, out int AllPage, out int DataCount, string p)
        {
            return DAL.dalPublishHouse.GetPublishHouse(NowPage, PageSize, out AllPage, out DataCount, p);
        }
        /*查询所有的出版社*/
        public static System.Data.DataSet getAllPublishHouse()
        {
            return DAL.dalPublishHouse.getAllPublishHouse();
        }
    }
}
