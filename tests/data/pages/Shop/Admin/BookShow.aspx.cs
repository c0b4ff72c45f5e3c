using System;
using System.Data;
using System.Web.UI;
using System.Web.UI.WebControls;
using DAL;

// 图书的详细信息：引用成员显示所指记录的显示成员，图片直接显示。
public class Admin_BookShow : BLL.AdminPage
{
    protected Label lblMessage;
    protected Literal littitle;
    protected Literal litid;
    protected Literal litprice;
    protected Literal litcover;
    protected Literal litpublished;
    protected Literal litstock;
    protected Literal litcategoryId;
    protected Literal lithouseCode;

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
            littitle.Text = Html(row["title"]);
            litid.Text = Html(row["id"]);
            litprice.Text = Html(row["price"]);
            litcover.Text = PictureTag(row["cover"]);
            litpublished.Text = DateText(row["published"]);
            litstock.Text = Html(row["stock"]);
            litcategoryId.Text = Html(row["categoryId_Text"]);
            lithouseCode.Text = Html(row["houseCode_Text"]);
        }
        catch (Exception)
        {
            lblMessage.Text = DatabaseMessage("读取图书");
        }
    }
}
