using System;
using System.Web.UI;
using System.Web.UI.WebControls;
using DAL;

// 管理首页：列出各表的管理页面；管理员仍用建表脚本中的固定密码时提醒修改。
public class Admin_Default : BLL.AdminPage
{
    protected Label lblWelcome;
    protected Label lblWarning;

    protected void Page_Load(object sender, EventArgs e)
    {
        lblWelcome.Text = "欢迎您，" + Html(Session["AdminName"]) + "！";
        try
        {
            lblWarning.Visible = AdminPagesHelp.UsesFixedPassword(Convert.ToInt32(Session["AdminId"]));
        }
        catch (Exception)
        {
            lblWarning.Text = DatabaseMessage("检查管理员密码");
            lblWarning.Visible = true;
        }
    }
}
