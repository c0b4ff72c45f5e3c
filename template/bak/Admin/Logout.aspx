<%@ Page Language="C#" AutoEventWireup="true" Src="Logout.aspx.cs" Inherits="Admin_Logout" %>
