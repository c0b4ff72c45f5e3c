<%@ Page Language="C#" AutoEventWireup="true" Src="BookEdit.aspx.cs" Inherits="Admin_BookEdit" %>
<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">
<html xmlns="http://www.w3.org/1999/xhtml">
<head runat="server">
    <meta http-equiv="Content-Type" content="text/html; charset=gb2312" />
    <title>图书</title>
    <link href="admin.css" rel="stylesheet" type="text/css" />
    <link href="pages.css" rel="stylesheet" type="text/css" />
</head>
<body>
    <form id="form1" runat="server" enctype="multipart/form-data">
    <div class="box wide">
        <h1><asp:Label ID="lblTitle" runat="server" /></h1>
        <p><a href="Default.aspx">返回管理首页</a> | <a href="BookList.aspx">返回图书列表</a></p>
        <p><asp:Label ID="lblMessage" runat="server" CssClass="message" EnableViewState="false" /></p>
        <table class="form">
            <tr>
                <th><asp:Label ID="lblFortitle" runat="server" AssociatedControlID="txttitle" Text="书名" /><span class="must">*</span></th>
                <td>
                    <asp:TextBox ID="txttitle" runat="server" MaxLength="50" />
                    <asp:RequiredFieldValidator ID="rfvtitle" runat="server" ControlToValidate="txttitle"
                        Display="Dynamic" CssClass="message" ErrorMessage="必填" />
                </td>
            </tr>
            <tr id="rowid" runat="server">
                <th>编号</th>
                <td><asp:Label ID="lblid" runat="server" /></td>
            </tr>
            <tr>
                <th><asp:Label ID="lblForprice" runat="server" AssociatedControlID="txtprice" Text="价格" /></th>
                <td>
                    <asp:TextBox ID="txtprice" runat="server" MaxLength="20" />
                    <asp:CompareValidator ID="cvprice" runat="server" ControlToValidate="txtprice" Operator="DataTypeCheck"
                        Type="Double" Display="Dynamic" CssClass="message" ErrorMessage="请输入数字" />
                </td>
            </tr>
            <tr>
                <th><asp:Label ID="lblForcover" runat="server" AssociatedControlID="fucover" Text="cover" /></th>
                <td>
                    <asp:Image ID="imgcover" runat="server" Visible="false" CssClass="picture" />
                    <asp:FileUpload ID="fucover" runat="server" /> （jpg、png或gif，不超过2MB）
                </td>
            </tr>
            <tr>
                <th><asp:Label ID="lblForpublished" runat="server" AssociatedControlID="txtpublished" Text="出版日期" /><span class="must">*</span></th>
                <td>
                    <asp:TextBox ID="txtpublished" runat="server" MaxLength="10" /> （yyyy-mm-dd）
                    <asp:CompareValidator ID="cvpublished" runat="server" ControlToValidate="txtpublished" Operator="DataTypeCheck"
                        Type="Date" Display="Dynamic" CssClass="message" ErrorMessage="请输入日期" />
                </td>
            </tr>
            <tr>
                <th><asp:Label ID="lblForstock" runat="server" AssociatedControlID="txtstock" Text="库存" /></th>
                <td>
                    <asp:TextBox ID="txtstock" runat="server" MaxLength="20" />
                    <asp:CompareValidator ID="cvstock" runat="server" ControlToValidate="txtstock" Operator="DataTypeCheck"
                        Type="Integer" Display="Dynamic" CssClass="message" ErrorMessage="请输入数字" />
                </td>
            </tr>
            <tr>
                <th><asp:Label ID="lblForcategoryId" runat="server" AssociatedControlID="ddlcategoryId" Text="类别" /><span class="must">*</span></th>
                <td>
                    <asp:DropDownList ID="ddlcategoryId" runat="server" />
                </td>
            </tr>
            <tr>
                <th><asp:Label ID="lblForhouseCode" runat="server" AssociatedControlID="ddlhouseCode" Text="出版社" /><span class="must">*</span></th>
                <td>
                    <asp:DropDownList ID="ddlhouseCode" runat="server" />
                </td>
            </tr>
        </table>
        <p><asp:Button ID="btnSave" runat="server" Text="保存" OnClick="btnSave_Click" /></p>
    </div>
    </form>
</body>
</html>
