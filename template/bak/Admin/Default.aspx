<%@ Page Language="C#" AutoEventWireup="true" Src="Default.aspx.cs" Inherits="Admin_Default" %>
<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">
<html xmlns="http://www.w3.org/1999/xhtml">
<head runat="server">
    <meta http-equiv="Content-Type" content="text/html; charset=gb2312" />
    <title>管理首页</title>
    <link href="admin.css" rel="stylesheet" type="text/css" />
</head>
<body>
    <form id="form1" runat="server">
    <div class="box">
        <h1>管理首页</h1>
        <p><asp:Label ID="lblWelcome" runat="server" /></p>
        <p>本站的实体类、业务逻辑类和数据访问类位于App_Code下的ENTITY、BLL和DAL文件夹中，
           可在此处添加各表的管理页面。</p>
        <p><a href="Logout.aspx">退出登录</a></p>
    </div>
    </form>
</body>
</html>
