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
                <th><asp:Label ID="lblFor_title" runat="server" AssociatedControlID="txt_title" Text="书名" /><span class="must">*</span></th>
                <td>
                    <asp:TextBox ID="txt_title" runat="server" MaxLength="50" />
                    <asp:RequiredFieldValidator ID="rfv_title" runat="server" ControlToValidate="txt_title"
                        Display="Dynamic" CssClass="message" ErrorMessage="必填" />
                </td>
            </tr>
            <tr id="row_id" runat="server">
                <th>编号</th>
                <td><asp:Label ID="lbl_id" runat="server" /></td>
            </tr>
            <tr>
                <th><asp:Label ID="lblFor_price" runat="server" AssociatedControlID="txt_price" Text="价格" /></th>
                <td>
                    <asp:TextBox ID="txt_price" runat="server" MaxLength="20" />
                    <asp:CompareValidator ID="cv_price" runat="server" ControlToValidate="txt_price" Operator="DataTypeCheck"
                        Type="Double" Display="Dynamic" CssClass="message" ErrorMessage="请输入数字" />
                </td>
            </tr>
            <tr>
                <th><asp:Label ID="lblFor_cover" runat="server" AssociatedControlID="fu_cover" Text="cover" /></th>
                <td>
                    <asp:Image ID="img_cover" runat="server" Visible="false" CssClass="picture" />
                    <asp:FileUpload ID="fu_cover" runat="server" /> （jpg、png或gif，不超过2MB）
                </td>
            </tr>
            <tr>
                <th><asp:Label ID="lblFor_published" runat="server" AssociatedControlID="txt_published" Text="出版日期" /><span class="must">*</span></th>
                <td>
                    <asp:TextBox ID="txt_published" runat="server" MaxLength="10" /> （yyyy-mm-dd）
                    <asp:CompareValidator ID="cv_published" runat="server" ControlToValidate="txt_published" Operator="DataTypeCheck"
                        Type="Date" Display="Dynamic" CssClass="message" ErrorMessage="请输入日期" />
                </td>
            </tr>
            <tr>
                <th><asp:Label ID="lblFor_stock" runat="server" AssociatedControlID="txt_stock" Text="库存" /></th>
                <td>
                    <asp:TextBox ID="txt_stock" runat="server" MaxLength="20" />
                    <asp:CompareValidator ID="cv_stock" runat="server" ControlToValidate="txt_stock" Operator="DataTypeCheck"
                        Type="Integer" Display="Dynamic" CssClass="message" ErrorMessage="请输入数字" />
                </td>
            </tr>
            <tr>
                <th><asp:Label ID="lblFor_categoryId" runat="server" AssociatedControlID="ddl_categoryId" Text="类别" /><span class="must">*</span></th>
                <td>
                    <asp:DropDownList ID="ddl_categoryId" runat="server" />
                </td>
            </tr>
            <tr>
                <th><asp:Label ID="lblFor_houseCode" runat="server" AssociatedControlID="ddl_houseCode" Text="出版社" /><span class="must">*</span></th>
                <td>
                    <asp:DropDownList ID="ddl_houseCode" runat="server" />
                </td>
            </tr>
        </table>
        <p><asp:Button ID="btnSave" runat="server" Text="保存" OnClick="btnSave_Click" /></p>
    </div>
    </form>
</body>
</html>
