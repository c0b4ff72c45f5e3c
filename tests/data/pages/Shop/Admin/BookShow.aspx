<%@ Page Language="C#" AutoEventWireup="true" Src="BookShow.aspx.cs" Inherits="Admin_BookShow" %>
<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">
<html xmlns="http://www.w3.org/1999/xhtml">
<head runat="server">
    <meta http-equiv="Content-Type" content="text/html; charset=gb2312" />
    <title>图书详细信息</title>
    <link href="admin.css" rel="stylesheet" type="text/css" />
    <link href="pages.css" rel="stylesheet" type="text/css" />
</head>
<body>
    <form id="form1" runat="server">
    <div class="box wide">
        <h1>图书详细信息</h1>
        <p><a href="Default.aspx">返回管理首页</a> | <a href="BookList.aspx">返回图书列表</a></p>
        <p><asp:Label ID="lblMessage" runat="server" CssClass="message" EnableViewState="false" /></p>
        <table class="form">
            <tr>
                <th>书名</th>
                <td><asp:Literal ID="lit_title" runat="server" /></td>
            </tr>
            <tr>
                <th>编号</th>
                <td><asp:Literal ID="lit_id" runat="server" /></td>
            </tr>
            <tr>
                <th>价格</th>
                <td><asp:Literal ID="lit_price" runat="server" /></td>
            </tr>
            <tr>
                <th>cover</th>
                <td><asp:Literal ID="lit_cover" runat="server" /></td>
            </tr>
            <tr>
                <th>出版日期</th>
                <td><asp:Literal ID="lit_published" runat="server" /></td>
            </tr>
            <tr>
                <th>库存</th>
                <td><asp:Literal ID="lit_stock" runat="server" /></td>
            </tr>
            <tr>
                <th>类别</th>
                <td><asp:Literal ID="lit_categoryId" runat="server" /></td>
            </tr>
            <tr>
                <th>出版社</th>
                <td><asp:Literal ID="lit_houseCode" runat="server" /></td>
            </tr>
        </table>
    </div>
    </form>
</body>
</html>
