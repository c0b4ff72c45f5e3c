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
    ///tag 的摘要说明：图书信息实体
    /// </summary>

    public class tag
    {
        /*标签号*/
        private int _tagId;
        public int tagId
        {
            get { return _tagId; }
            set { _tagId = value; }
        }

    }
}
