<%@ Page Language="C#" AutoEventWireup="true" Src="ChangePassword.aspx.cs" Inherits="Admin_ChangePassword" %>
<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">
<html xmlns="http://www.w3.org/1999/xhtml">
<head runat="server">
    <meta http-equiv="Content-Type" content="text/html; charset=gb2312" />
    <title>修改密码</title>
    <link href="admin.css" rel="stylesheet" type="text/css" />
    <link href="pages.css" rel="stylesheet" type="text/css" />
</head>
<body>
    <form id="form1" runat="server">
    <div class="box">
        <h1>修改密码</h1>
        <p><a href="Default.aspx">返回管理首页</a></p>
        <p>
            <asp:Label ID="lblOld" runat="server" AssociatedControlID="txtOld" Text="原密码：" />
            <asp:TextBox ID="txtOld" runat="server" TextMode="Password" MaxLength="50" />
        </p>
        <p>
            <asp:Label ID="lblNew" runat="server" AssociatedControlID="txtNew" Text="新密码：" />
            <asp:TextBox ID="txtNew" runat="server" TextMode="Password" MaxLength="50" />
        </p>
        <p>
            <asp:Label ID="lblConfirm" runat="server" AssociatedControlID="txtConfirm" Text="确认新密码：" />
            <asp:TextBox ID="txtConfirm" runat="server" TextMode="Password" MaxLength="50" />
        </p>
        <p><asp:Button ID="btnChange" runat="server" Text="修改密码" OnClick="btnChange_Click" /></p>
        <p><asp:Label ID="lblMessage" runat="server" CssClass="message" /></p>
    </div>
    </form>
</body>
</html>
