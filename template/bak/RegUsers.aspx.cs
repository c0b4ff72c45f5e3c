using System;
using System.Web.UI;
using System.Web.UI.WebControls;
using DAL;

// 用户注册：检查输入后在CusUsers表中添加一个普通用户（CusType为1），密码保存为MD5摘要。
public class RegUsers : Page
{
    protected Label lblName;
    protected TextBox txtName;
    protected Label lblPassword;
    protected TextBox txtPassword;
    protected Label lblConfirm;
    protected TextBox txtConfirm;
    protected Label lblRealName;
    protected TextBox txtRealName;
    protected Label lblIdCard;
    protected TextBox txtIdCard;
    protected Label lblAddress;
    protected TextBox txtAddress;
    protected Label lblPhone;
    protected TextBox txtPhone;
    protected Button btnRegister;
    protected Label lblMessage;

    protected void btnRegister_Click(object sender, EventArgs e)
    {
        string name = txtName.Text.Trim();
        if (name.Length == 0)
        {
            lblMessage.Text = "用户名不能为空！";
            return;
        }
        if (txtPassword.Text.Length == 0)
        {
            lblMessage.Text = "密码不能为空！";
            return;
        }
        if (txtPassword.Text != txtConfirm.Text)
        {
            lblMessage.Text = "两次输入的密码不一致！";
            return;
        }
        if (CusUsersHelp.NameExists(name))
        {
            lblMessage.Text = "该用户名已经被注册！";
            return;
        }
        if (CusUsersHelp.Register(name, txtPassword.Text, txtRealName.Text.Trim(), txtIdCard.Text.Trim(),
                                 txtAddress.Text.Trim(), txtPhone.Text.Trim()))
        {
            lblMessage.Text = "注册成功！";
        }
        else
        {
            lblMessage.Text = "注册失败，请稍后再试！";
        }
    }
}
