using System;
using System.Data;
using System.Web.UI;
using System.Web.UI.WebControls;
using DAL;

// 图书的详细信息：引用成员显示所指记录的显示成员，图片直接显示。
public class Admin_BookShow : BLL.AdminPage
{
    protected Label lblMessage;
    protected Literal lit_title;
    protected Literal lit_id;
    protected Literal lit_price;
    protected Literal lit_cover;
    protected Literal lit_published;
    protected Literal lit_stock;
    protected Literal lit_categoryId;
    protected Literal lit_houseCode;

    protected void Page_Load(object sender, EventArgs e)
    {
        string id = Request.QueryString["id"] ?? "";
        try
        {
            int key;
            DataRow row = int.TryParse(id, out key) ? dalBookPages.GetRow(key) : null;
            if (row == null)
            {
                lblMessage.Text = "要查看的记录不存在。";
                return;
            }
            lit_title.Text = Html(row["title"]);
            lit_id.Text = Html(row["id"]);
            lit_price.Text = Html(row["price"]);
            lit_cover.Text = PictureTag(row["cover"]);
            lit_published.Text = DateText(row["published"]);
            lit_stock.Text = Html(row["stock"]);
            lit_categoryId.Text = Html(row["_Text_categoryId"]);
            lit_houseCode.Text = Html(row["_Text_houseCode"]);
        }
        catch (Exception)
        {
            lblMessage.Text = DatabaseMessage("读取图书");
        }
    }
}
