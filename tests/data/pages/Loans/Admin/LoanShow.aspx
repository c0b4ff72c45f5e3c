<%@ Page Language="C#" AutoEventWireup="true" Src="LoanShow.aspx.cs" Inherits="Admin_LoanShow" %>
<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">
<html xmlns="http://www.w3.org/1999/xhtml">
<head runat="server">
    <meta http-equiv="Content-Type" content="text/html; charset=gb2312" />
    <title>借阅记录详细信息</title>
    <link href="admin.css" rel="stylesheet" type="text/css" />
    <link href="pages.css" rel="stylesheet" type="text/css" />
</head>
<body>
    <form id="form1" runat="server">
    <div class="box wide">
        <h1>借阅记录详细信息</h1>
        <p><a href="Default.aspx">返回管理首页</a> | <a href="LoanList.aspx">返回借阅记录列表</a></p>
        <p><asp:Label ID="lblMessage" runat="server" CssClass="message" EnableViewState="false" /></p>
        <table class="form">
            <tr>
                <th>编号</th>
                <td><asp:Literal ID="litid" runat="server" /></td>
            </tr>
            <tr>
                <th>出借人</th>
                <td><asp:Literal ID="litlender" runat="server" /></td>
            </tr>
            <tr>
                <th>借入人</th>
                <td><asp:Literal ID="litborrower" runat="server" /></td>
            </tr>
            <tr>
                <th>金额</th>
                <td><asp:Literal ID="litamount" runat="server" /></td>
            </tr>
            <tr>
                <th>借出日期</th>
                <td><asp:Literal ID="litlentOn" runat="server" /></td>
            </tr>
            <tr>
                <th>note</th>
                <td><asp:Literal ID="litnote" runat="server" /></td>
            </tr>
        </table>
    </div>
    </form>
</body>
</html>
