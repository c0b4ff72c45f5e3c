using System;
using System.Security.Cryptography;
using System.Web;
using System.Web.Caching;
using System.Web.UI;
using System.Web.UI.WebControls;
using DAL;

// 管理员登录：用户名和密码的MD5摘要（32位大写十六进制）与CusUsers表中CusType为0的记录比对。
// 登录成功后先废弃当前会话，再在新会话中记录管理员（防止会话固定攻击）：
// 第一步把校验结果存入一次性票据并转回本页，第二步在浏览器不带旧会话标识的新请求中取出票据。
public class Admin_Login : Page
{
    private const string TicketCookie = "AdminLoginTicket";

    protected Label lblName;
    protected TextBox txtName;
    protected Label lblPassword;
    protected TextBox txtPassword;
    protected Button btnLogin;
    protected Label lblMessage;

    protected void Page_Load(object sender, EventArgs e)
    {
        HttpCookie ticket = Request.Cookies[TicketCookie];
        if (IsPostBack || ticket == null || ticket.Value.Length == 0)
        {
            return;
        }
        object[] admin = Cache[TicketCookie + ticket.Value] as object[];
        Cache.Remove(TicketCookie + ticket.Value);
        HttpCookie spent = new HttpCookie(TicketCookie, "");
        spent.Expires = DateTime.Now.AddDays(-1);
        spent.HttpOnly = true;
        Response.Cookies.Add(spent);
        if (admin == null || !Session.IsNewSession)
        {
            return;
        }
        Session["AdminId"] = admin[0];
        Session["AdminName"] = admin[1];
        Response.Redirect("Default.aspx");
    }

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
        byte[] random = new byte[16];
        using (RandomNumberGenerator generator = RandomNumberGenerator.Create())
        {
            generator.GetBytes(random);
        }
        string value = BitConverter.ToString(random).Replace("-", "");
        Cache.Insert(TicketCookie + value, new object[] { userId, name }, null, DateTime.Now.AddMinutes(1),
                     Cache.NoSlidingExpiration);
        HttpCookie fresh = new HttpCookie(TicketCookie, value);
        fresh.HttpOnly = true;
        Response.Cookies.Add(fresh);
        Session.Clear();
        Session.Abandon();
        HttpCookie oldSession = new HttpCookie("ASP.NET_SessionId", "");
        oldSession.Expires = DateTime.Now.AddDays(-1);
        oldSession.HttpOnly = true;
        Response.Cookies.Add(oldSession);
        Response.Redirect("Login.aspx");
    }
}
