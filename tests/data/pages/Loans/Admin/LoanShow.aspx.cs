using System;
using System.Data;
using System.Web.UI;
using System.Web.UI.WebControls;
using DAL;

// 借阅记录的详细信息：引用成员显示所指记录的显示成员，图片直接显示。
public class Admin_LoanShow : BLL.AdminPage
{
    protected Label lblMessage;
    protected Literal litid;
    protected Literal litlender;
    protected Literal litborrower;
    protected Literal litamount;
    protected Literal litlentOn;
    protected Literal litnote;

    protected void Page_Load(object sender, EventArgs e)
    {
        string id = Request.QueryString["id"] ?? "";
        try
        {
            int key;
            DataRow row = int.TryParse(id, out key) ? dalLoanPages.GetRow(key) : null;
            if (row == null)
            {
                lblMessage.Text = "要查看的记录不存在。";
                return;
            }
            litid.Text = Html(row["id"]);
            litlender.Text = Html(row["lender_Text"]);
            litborrower.Text = Html(row["borrower_Text"]);
            litamount.Text = Html(row["amount"]);
            litlentOn.Text = DateText(row["lentOn"]);
            litnote.Text = Html(row["note"]);
        }
        catch (Exception)
        {
            lblMessage.Text = DatabaseMessage("读取借阅记录");
        }
    }
}
