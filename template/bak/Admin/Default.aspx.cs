using System;
using System.Web.UI;
using System.Web.UI.WebControls;

// 管理首页：未登录时转到登录页。
public class Admin_Default : Page
{
    protected Label lblWelcome;

    protected void Page_Load(object sender, EventArgs e)
    {
        if (Session["AdminName"] == null)
        {
            Response.Redirect("Login.aspx");
            return;
        }
        lblWelcome.Text = "欢迎您，" + Server.HtmlEncode(Session["AdminName"].ToString()) + "！";
    }
}
