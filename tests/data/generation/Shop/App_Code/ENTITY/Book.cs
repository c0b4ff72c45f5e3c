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
    ///Book 的摘要说明：图书信息实体
    /// </summary>

    public class Book
    {
        /*书名*/
        private string _title;
        public string title
        {
            get { return _title; }
            set { _title = value; }
        }

        /*编号*/
        private int _id;
        public int id
        {
            get { return _id; }
            set { _id = value; }
        }

        /*价格*/
        private float _price;
        public float price
        {
            get { return _price; }
            set { _price = value; }
        }

        /**/
        private string _cover;
        public string cover
        {
            get { return _cover; }
            set { _cover = value; }
        }

        /*出版日期*/
        private DateTime _published;
        public DateTime published
        {
            get { return _published; }
            set { _published = value; }
        }

        /*库存*/
        private int _stock;
        public int stock
        {
            get { return _stock; }
            set { _stock = value; }
        }

        /*类别*/
        private int _categoryId;
        public int categoryId
        {
            get { return _categoryId; }
            set { _categoryId = value; }
        }

        /*出版社*/
        private string _houseCode;
        public string houseCode
        {
            get { return _houseCode; }
            set { _houseCode = value; }
        }

    }
}
