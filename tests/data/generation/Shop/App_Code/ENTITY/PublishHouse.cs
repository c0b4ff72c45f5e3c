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
    ///PublishHouse 的摘要说明：图书信息实体
    /// </summary>

    public class PublishHouse
    {
        /*社名*/
        private string _name;
        public string name
        {
            get { return _name; }
            set { _name = value; }
        }

        /*社号*/
        private string _code;
        public string code
        {
            get { return _code; }
            set { _code = value; }
        }

        /*成立日期*/
        private DateTime _founded;
        public DateTime founded
        {
            get { return _founded; }
            set { _founded = value; }
        }

    }
}
