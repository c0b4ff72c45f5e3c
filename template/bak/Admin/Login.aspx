<%@ Page Language="C#" AutoEventWireup="true" Src="Login.aspx.cs" Inherits="Admin_Login" %>
<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">
<html xmlns="http://www.w3.org/1999/xhtml">
<head runat="server">
    <meta http-equiv="Content-Type" content="text/html; charset=gb2312" />
    <title>管理员登录</title>
    <link href="admin.css" rel="stylesheet" type="text/css" />
</head>
<body>
    <form id="form1" runat="server">
    <div class="box">
        <h1>管理员登录</h1>
        <p>
            <asp:Label ID="lblName" runat="server" AssociatedControlID="txtName" Text="用户名：" />
            <asp:TextBox ID="txtName" runat="server" MaxLength="50" />
        </p>
        <p>
            <asp:Label ID="lblPassword" runat="server" AssociatedControlID="txtPassword" Text="密　码：" />
            <asp:TextBox ID="txtPassword" runat="server" TextMode="Password" MaxLength="50" />
        </p>
        <p><asp:Button ID="btnLogin" runat="server" Text="登录" OnClick="btnLogin_Click" /></p>
        <p><asp:Label ID="lblMessage" runat="server" CssClass="message" /></p>
        <p><a href="../RegUsers.aspx">注册新用户</a></p>
    </div>
    </form>
</body>
</html>
