using System;
using System.Web.UI;

// 退出登录：清除会话后回到登录页。
public class Admin_Logout : Page
{
    protected void Page_Load(object sender, EventArgs e)
    {
        Session.Clear();
        Session.Abandon();
        Response.Redirect("Login.aspx");
    }
}
