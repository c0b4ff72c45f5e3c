using System;
using System.Data;
using System.Web.UI;
using System.Web.UI.WebControls;
using DAL;

// 借阅记录的详细信息：引用成员显示所指记录的显示成员，图片直接显示。
public class Admin_LoanShow : BLL.AdminPage
{
    protected Label lblMessage;
    protected Literal lit_id;
    protected Literal lit_lender;
    protected Literal lit_borrower;
    protected Literal lit_amount;
    protected Literal lit_lentOn;
    protected Literal lit_note;

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
            lit_id.Text = Html(row["id"]);
            lit_lender.Text = Html(row["_Text_lender"]);
            lit_borrower.Text = Html(row["_Text_borrower"]);
            lit_amount.Text = Html(row["amount"]);
            lit_lentOn.Text = DateText(row["lentOn"]);
            lit_note.Text = Html(row["note"]);
        }
        catch (Exception)
        {
            lblMessage.Text = DatabaseMessage("读取借阅记录");
        }
    }
}
