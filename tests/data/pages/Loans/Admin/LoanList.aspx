<%@ Page Language="C#" AutoEventWireup="true" Src="LoanList.aspx.cs" Inherits="Admin_LoanList" %>
<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">
<html xmlns="http://www.w3.org/1999/xhtml">
<head runat="server">
    <meta http-equiv="Content-Type" content="text/html; charset=gb2312" />
    <title>借阅记录管理</title>
    <link href="admin.css" rel="stylesheet" type="text/css" />
    <link href="pages.css" rel="stylesheet" type="text/css" />
</head>
<body>
    <form id="form1" runat="server">
    <div class="box wide">
        <h1>借阅记录管理</h1>
        <p><a href="Default.aspx">返回管理首页</a></p>
        <p><asp:Label ID="lblMessage" runat="server" CssClass="message" EnableViewState="false" /></p>
        <fieldset class="search">
            <legend>查询</legend>
            <span class="field">
                <asp:Label ID="lblSearchlender" runat="server" AssociatedControlID="ddllender" Text="出借人：" />
                <asp:DropDownList ID="ddllender" runat="server" />
            </span>
            <span class="field">
                <asp:Label ID="lblSearchborrower" runat="server" AssociatedControlID="ddlborrower" Text="借入人：" />
                <asp:DropDownList ID="ddlborrower" runat="server" />
            </span>
            <span class="field">
                <asp:Label ID="lblSearchamount" runat="server" AssociatedControlID="txtamount" Text="金额：" />
                <asp:TextBox ID="txtamount" runat="server" MaxLength="20" Columns="10" />
            </span>
            <span class="field">
                <asp:Label ID="lblSearchlentOn" runat="server" AssociatedControlID="txtlentOnFrom" Text="借出日期：" />
                <asp:TextBox ID="txtlentOnFrom" runat="server" MaxLength="10" Columns="10" /> 至
                <asp:TextBox ID="txtlentOnTo" runat="server" MaxLength="10" Columns="10" />
            </span>
            <span class="field">
                <asp:Label ID="lblSearchnote" runat="server" AssociatedControlID="txtnote" Text="note：" />
                <asp:TextBox ID="txtnote" runat="server" MaxLength="400" />
            </span>
            <span class="buttons">
                <asp:Button ID="btnSearch" runat="server" Text="查询" OnClick="btnSearch_Click" />
                <asp:Button ID="btnReset" runat="server" Text="重置" OnClick="btnReset_Click" />
                <asp:Button ID="btnAdd" runat="server" Text="添加" OnClick="btnAdd_Click" />
            </span>
        </fieldset>
        <asp:Repeater ID="rptList" runat="server" OnItemCommand="rptList_ItemCommand">
            <HeaderTemplate>
                <table class="grid">
                    <tr>
                        <th>编号</th>
                        <th>出借人</th>
                        <th>借入人</th>
                        <th>金额</th>
                        <th>借出日期</th>
                        <th>操作</th>
                    </tr>
            </HeaderTemplate>
            <ItemTemplate>
                    <tr>
                        <td><%# Html(Eval("id")) %></td>
                        <td><%# Html(Eval("lender_Text")) %></td>
                        <td><%# Html(Eval("borrower_Text")) %></td>
                        <td><%# Html(Eval("amount")) %></td>
                        <td><%# DateText(Eval("lentOn")) %></td>
                        <td class="actions">
                            <a href="LoanShow.aspx?id=<%# Server.UrlEncode(Convert.ToString(Eval("id"))) %>">详细</a>
                            <a href="LoanEdit.aspx?id=<%# Server.UrlEncode(Convert.ToString(Eval("id"))) %>">编辑</a>
                            <asp:Button ID="btnDelete" runat="server" Text="删除" CommandName="Delete" CausesValidation="false"
                                CommandArgument='<%# Convert.ToString(Eval("id")) %>'
                                OnClientClick="return confirm('确定要删除这条记录吗？');" />
                        </td>
                    </tr>
            </ItemTemplate>
            <FooterTemplate>
                </table>
            </FooterTemplate>
        </asp:Repeater>
        <p><asp:Label ID="lblEmpty" runat="server" Text="没有符合条件的记录。" Visible="false" /></p>
        <p class="pager">
            <asp:Button ID="btnFirst" runat="server" Text="首页" OnClick="btnFirst_Click" />
            <asp:Button ID="btnPrevious" runat="server" Text="上一页" OnClick="btnPrevious_Click" />
            <asp:Button ID="btnNext" runat="server" Text="下一页" OnClick="btnNext_Click" />
            <asp:Button ID="btnLast" runat="server" Text="末页" OnClick="btnLast_Click" />
            <asp:Label ID="lblPager" runat="server" />
        </p>
    </div>
    </form>
</body>
</html>
