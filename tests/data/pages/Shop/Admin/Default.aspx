<%@ Page Language="C#" AutoEventWireup="true" Src="Default.aspx.cs" Inherits="Admin_Default" %>
<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">
<html xmlns="http://www.w3.org/1999/xhtml">
<head runat="server">
    <meta http-equiv="Content-Type" content="text/html; charset=gb2312" />
    <title>管理首页</title>
    <link href="admin.css" rel="stylesheet" type="text/css" />
    <link href="pages.css" rel="stylesheet" type="text/css" />
</head>
<body>
    <form id="form1" runat="server">
    <div class="box">
        <h1>管理首页</h1>
        <p><asp:Label ID="lblWelcome" runat="server" /></p>
        <p><asp:Label ID="lblWarning" runat="server" CssClass="message" Visible="false"
            Text="您仍在使用建表脚本中admin的固定密码，任何人都能用它登录并修改各表的数据，请立即修改密码！" /></p>
        <ul class="tables">
            <li><a href="CategoryList.aspx">图书类别</a></li>
            <li><a href="PublishHouseList.aspx">出版社</a></li>
            <li><a href="BookList.aspx">图书</a></li>
            <li><a href="tagList.aspx">tag</a></li>
        </ul>
        <p><a href="ChangePassword.aspx">修改密码</a> | <a href="Logout.aspx">退出登录</a></p>
    </div>
    </form>
</body>
</html>
