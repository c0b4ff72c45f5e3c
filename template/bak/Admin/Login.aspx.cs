using System;
using System.Web.UI;
using System.Web.UI.WebControls;
using DAL;

// 管理员登录：用户名和密码的MD5摘要（32位大写十六进制）与CusUsers表中CusType为0的记录比对。
public class Admin_Login : Page
{
    protected Label lblName;
    protected TextBox txtName;
    protected Label lblPassword;
    protected TextBox txtPassword;
    protected Button btnLogin;
    protected Label lblMessage;

    protected void btnLogin_Click(object sender, EventArgs e)
    {
        string name = txtName.Text.Trim();
        if (name.Length == 0 || txtPassword.Text.Length == 0)
        {
            lblMessage.Text = "请输入用户名和密码！";
            return;
        }
        int userId = CusUsersHelp.FindAdministrator(name, txtPassword.Text);
        if (userId < 0)
        {
            lblMessage.Text = "用户名或密码错误！";
            return;
        }
        Session["AdminId"] = userId;
        Session["AdminName"] = name;
        Response.Redirect("Default.aspx");
    }
}
