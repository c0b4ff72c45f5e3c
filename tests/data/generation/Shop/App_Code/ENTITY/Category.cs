using System;
using System.Data;
using System.Configuration;
using System.Linq;
using System.Web;
using System.Web.Security;
using System.Web.UI;
using System.Web.UI.HtmlControls;
using System.Web.UI.WebControls;
using System.Web.UI.WebControls.WebParts;
using System.Xml.Linq;

namespace ENTITY
{
    /// <summary>
    ///Category 的摘要说明：图书信息实体
    /// </summary>

    public class Category
    {
        /*编号*/
        private int _id;
        public int id
        {
            get { return _id; }
            set { _id = value; }
        }

        /*类别名称*/
        private string _name;
        public string name
        {
            get { return _name; }
            set { _name = value; }
        }

    }
}
