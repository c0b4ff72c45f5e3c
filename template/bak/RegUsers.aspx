<%@ Page Language="C#" AutoEventWireup="true" Src="RegUsers.aspx.cs" Inherits="RegUsers" %>
<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">
<html xmlns="http://www.w3.org/1999/xhtml">
<head runat="server">
    <meta http-equiv="Content-Type" content="text/html; charset=gb2312" />
    <title>用户注册</title>
    <link href="Admin/admin.css" rel="stylesheet" type="text/css" />
</head>
<body>
    <form id="form1" runat="server">
    <div class="box">
        <h1>用户注册</h1>
        <p><asp:Label ID="lblName" runat="server" AssociatedControlID="txtName" Text="用户名：" />
           <asp:TextBox ID="txtName" runat="server" MaxLength="50" /></p>
        <p><asp:Label ID="lblPassword" runat="server" AssociatedControlID="txtPassword" Text="密码：" />
           <asp:TextBox ID="txtPassword" runat="server" TextMode="Password" MaxLength="50" /></p>
        <p><asp:Label ID="lblConfirm" runat="server" AssociatedControlID="txtConfirm" Text="确认密码：" />
           <asp:TextBox ID="txtConfirm" runat="server" TextMode="Password" MaxLength="50" /></p>
        <p><asp:Label ID="lblRealName" runat="server" AssociatedControlID="txtRealName" Text="真实姓名：" />
           <asp:TextBox ID="txtRealName" runat="server" MaxLength="50" /></p>
        <p><asp:Label ID="lblIdCard" runat="server" AssociatedControlID="txtIdCard" Text="身份证号：" />
           <asp:TextBox ID="txtIdCard" runat="server" MaxLength="50" /></p>
        <p><asp:Label ID="lblAddress" runat="server" AssociatedControlID="txtAddress" Text="地址：" />
           <asp:TextBox ID="txtAddress" runat="server" MaxLength="50" /></p>
        <p><asp:Label ID="lblPhone" runat="server" AssociatedControlID="txtPhone" Text="电话：" />
           <asp:TextBox ID="txtPhone" runat="server" MaxLength="30" /></p>
        <p><asp:Button ID="btnRegister" runat="server" Text="注册" OnClick="btnRegister_Click" /></p>
        <p><asp:Label ID="lblMessage" runat="server" CssClass="message" /></p>
        <p><a href="Admin/Login.aspx">管理员登录</a></p>
    </div>
    </form>
</body>
</html>
