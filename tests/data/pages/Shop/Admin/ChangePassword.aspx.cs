using System;
using System.Web.UI;
using System.Web.UI.WebControls;
using DAL;

// 修改密码：原密码正确、新密码至少6位且两次输入一致时修改当前管理员的密码。
public class Admin_ChangePassword : BLL.AdminPage
{
    protected Label lblOld;
    protected TextBox txtOld;
    protected Label lblNew;
    protected TextBox txtNew;
    protected Label lblConfirm;
    protected TextBox txtConfirm;
    protected Button btnChange;
    protected Label lblMessage;

    protected void btnChange_Click(object sender, EventArgs e)
    {
        if (txtNew.Text.Length < 6)
        {
            lblMessage.Text = "新密码至少需要6位！";
            return;
        }
        if (txtNew.Text != txtConfirm.Text)
        {
            lblMessage.Text = "两次输入的新密码不一致！";
            return;
        }
        try
        {
            if (!AdminPagesHelp.ChangePassword(Convert.ToInt32(Session["AdminId"]), txtOld.Text, txtNew.Text))
            {
                lblMessage.Text = "原密码不正确！";
                return;
            }
        }
        catch (Exception)
        {
            lblMessage.Text = DatabaseMessage("修改密码");
            return;
        }
        lblMessage.Text = "密码已修改。";
    }
}
