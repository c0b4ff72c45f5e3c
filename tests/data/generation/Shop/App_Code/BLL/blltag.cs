using System;
using System.Collections.Generic;
using System.Linq;
using System.Text;

namespace BLL
{
    /*业务逻辑层*/
    public class blltag{
        /*添加*/
        public static bool Addtag(ENTITY.tag tag)
        {
            return DAL.daltag.Addtag(tag);
        }

        /*根据tagId获取某条记录*/
        public static ENTITY.tag getSometag(int tagId)
        {
            return DAL.daltag.getSometag(tagId);
        }

        /*更新*/
        public static bool Edittag(ENTITY.tag tag)
        {
            return DAL.daltag.Edittag(tag);
        }

        /*删除*/
        public static bool Deltag(string p)
        {
            return DAL.daltag.Deltag(p);
        }

        /*根据条件分页查询*/
        public static System.Data.DataTable Gettag(int NowPage, int PageSize, out int AllPage, out int DataCount, string p)
        {
            return DAL.daltag.Gettag(NowPage, PageSize, out AllPage, out DataCount, p);
        }
        /*查询所有的*/
        public static System.Data.DataSet getAlltag()
        {
            return DAL.daltag.getAlltag();
        }
    }
}
