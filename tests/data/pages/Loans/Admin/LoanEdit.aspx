<%@ Page Language="C#" AutoEventWireup="true" Src="LoanEdit.aspx.cs" Inherits="Admin_LoanEdit" %>
<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">
<html xmlns="http://www.w3.org/1999/xhtml">
<head runat="server">
    <meta http-equiv="Content-Type" content="text/html; charset=gb2312" />
    <title>借阅记录</title>
    <link href="admin.css" rel="stylesheet" type="text/css" />
    <link href="pages.css" rel="stylesheet" type="text/css" />
</head>
<body>
    <form id="form1" runat="server" enctype="multipart/form-data">
    <div class="box wide">
        <h1><asp:Label ID="lblTitle" runat="server" /></h1>
        <p><a href="Default.aspx">返回管理首页</a> | <a href="LoanList.aspx">返回借阅记录列表</a></p>
        <p><asp:Label ID="lblMessage" runat="server" CssClass="message" EnableViewState="false" /></p>
        <table class="form">
            <tr id="rowid" runat="server">
                <th>编号</th>
                <td><asp:Label ID="lblid" runat="server" /></td>
            </tr>
            <tr>
                <th><asp:Label ID="lblForlender" runat="server" AssociatedControlID="ddllender" Text="出借人" /><span class="must">*</span></th>
                <td>
                    <asp:DropDownList ID="ddllender" runat="server" />
                    <asp:RequiredFieldValidator ID="rfvlender" runat="server" ControlToValidate="ddllender"
                        Display="Dynamic" CssClass="message" ErrorMessage="必填" />
                </td>
            </tr>
            <tr>
                <th><asp:Label ID="lblForborrower" runat="server" AssociatedControlID="ddlborrower" Text="借入人" /><span class="must">*</span></th>
                <td>
                    <asp:DropDownList ID="ddlborrower" runat="server" />
                </td>
            </tr>
            <tr>
                <th><asp:Label ID="lblForamount" runat="server" AssociatedControlID="txtamount" Text="金额" /><span class="must">*</span></th>
                <td>
                    <asp:TextBox ID="txtamount" runat="server" MaxLength="20" />
                    <asp:CompareValidator ID="cvamount" runat="server" ControlToValidate="txtamount" Operator="DataTypeCheck"
                        Type="Double" Display="Dynamic" CssClass="message" ErrorMessage="请输入数字" />
                    <asp:RequiredFieldValidator ID="rfvamount" runat="server" ControlToValidate="txtamount"
                        Display="Dynamic" CssClass="message" ErrorMessage="必填" />
                </td>
            </tr>
            <tr>
                <th><asp:Label ID="lblForlentOn" runat="server" AssociatedControlID="txtlentOn" Text="借出日期" /><span class="must">*</span></th>
                <td>
                    <asp:TextBox ID="txtlentOn" runat="server" MaxLength="10" /> （yyyy-mm-dd）
                    <asp:CompareValidator ID="cvlentOn" runat="server" ControlToValidate="txtlentOn" Operator="DataTypeCheck"
                        Type="Date" Display="Dynamic" CssClass="message" ErrorMessage="请输入日期" />
                    <asp:RequiredFieldValidator ID="rfvlentOn" runat="server" ControlToValidate="txtlentOn"
                        Display="Dynamic" CssClass="message" ErrorMessage="必填" />
                </td>
            </tr>
            <tr>
                <th><asp:Label ID="lblFornote" runat="server" AssociatedControlID="txtnote" Text="note" /></th>
                <td>
                    <asp:TextBox ID="txtnote" runat="server" MaxLength="400" TextMode="MultiLine" Rows="5" Columns="60" />
                </td>
            </tr>
        </table>
        <p><asp:Button ID="btnSave" runat="server" Text="保存" OnClick="btnSave_Click" /></p>
    </div>
    </form>
</body>
</html>
