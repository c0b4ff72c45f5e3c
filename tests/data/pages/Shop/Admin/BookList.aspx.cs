using System;
using System.Data;
using System.Web.UI;
using System.Web.UI.WebControls;
using DAL;

// 图书管理：按条件查询，分页显示（每次只从数据库读一页），查看、编辑和删除。
public class Admin_BookList : BLL.AdminPage
{
    protected Label lblMessage;
    protected Label lblSearchtitle;
    protected TextBox txttitle;
    protected Label lblSearchpublished;
    protected TextBox txtpublishedFrom;
    protected TextBox txtpublishedTo;
    protected Label lblSearchcategoryId;
    protected DropDownList ddlcategoryId;
    protected Label lblSearchhouseCode;
    protected DropDownList ddlhouseCode;
    protected Button btnSearch;
    protected Button btnReset;
    protected Button btnAdd;
    protected Repeater rptList;
    protected Label lblEmpty;
    protected Button btnFirst;
    protected Button btnPrevious;
    protected Button btnNext;
    protected Button btnLast;
    protected Label lblPager;

    private const int PageSize = 10;

    private int PageIndex
    {
        get { return ViewState["PageIndex"] == null ? 1 : (int)ViewState["PageIndex"]; }
        set { ViewState["PageIndex"] = value; }
    }

    private int PageCount
    {
        get { return ViewState["PageCount"] == null ? 1 : (int)ViewState["PageCount"]; }
        set { ViewState["PageCount"] = value; }
    }

    protected void Page_Load(object sender, EventArgs e)
    {
        if (IsPostBack)
        {
            return;
        }
        string done = Request.QueryString["done"];
        if (done == "added")
        {
            lblMessage.Text = "添加成功。";
        }
        else if (done == "saved")
        {
            lblMessage.Text = "保存成功。";
        }
        try
        {
            FillList(ddlcategoryId, dalBookPages.LookupCategory(), "全部");
            FillList(ddlhouseCode, dalBookPages.LookupPublishHouse(), "全部");
        }
        catch (Exception)
        {
            lblMessage.Text = DatabaseMessage("读取图书列表");
            return;
        }
        BindList();
    }

    // The conditions of the search panel; null, with the reason in lblMessage, when one cannot be read.
    private dalBookPages.Search Conditions()
    {
        dalBookPages.Search search = new dalBookPages.Search();
        search.title = txttitle.Text.Trim();
        DateTime publishedFrom, publishedTo;
        if (txtpublishedFrom.Text.Trim().Length > 0)
        {
            if (!DateTime.TryParse(txtpublishedFrom.Text.Trim(), out publishedFrom) || publishedFrom.Year < 1753)
            {
                lblMessage.Text = Html("出版日期的起始日期无效。");
                return null;
            }
            search.publishedFrom = publishedFrom;
        }
        if (txtpublishedTo.Text.Trim().Length > 0)
        {
            if (!DateTime.TryParse(txtpublishedTo.Text.Trim(), out publishedTo) || publishedTo.Year < 1753)
            {
                lblMessage.Text = Html("出版日期的截止日期无效。");
                return null;
            }
            search.publishedTo = publishedTo;
        }
        int categoryIdKey;
        if (int.TryParse(ddlcategoryId.SelectedValue, out categoryIdKey))
        {
            search.categoryId = categoryIdKey;
        }
        search.houseCode = ddlhouseCode.SelectedValue;
        return search;
    }

    private void BindList()
    {
        dalBookPages.Search search = Conditions();
        if (search == null)
        {
            rptList.Visible = false;
            return;
        }
        try
        {
            int count = dalBookPages.Count(search);
            PageCount = Math.Max(1, (count + PageSize - 1) / PageSize);
            PageIndex = Math.Min(Math.Max(PageIndex, 1), PageCount);
            rptList.DataSource = count == 0 ? new DataTable() : dalBookPages.Page(search, PageIndex, PageSize);
            rptList.DataBind();
            rptList.Visible = count > 0;
            lblEmpty.Visible = count == 0;
            lblPager.Text = "第" + PageIndex + "/" + PageCount + "页，共" + count + "条记录";
            btnFirst.Enabled = PageIndex > 1;
            btnPrevious.Enabled = PageIndex > 1;
            btnNext.Enabled = PageIndex < PageCount;
            btnLast.Enabled = PageIndex < PageCount;
        }
        catch (Exception)
        {
            lblMessage.Text = DatabaseMessage("读取图书列表");
            rptList.Visible = false;
        }
    }

    protected void btnSearch_Click(object sender, EventArgs e)
    {
        PageIndex = 1;
        BindList();
    }

    protected void btnReset_Click(object sender, EventArgs e)
    {
        txttitle.Text = "";
        txtpublishedFrom.Text = "";
        txtpublishedTo.Text = "";
        ddlcategoryId.SelectedIndex = 0;
        ddlhouseCode.SelectedIndex = 0;
        PageIndex = 1;
        BindList();
    }

    protected void btnAdd_Click(object sender, EventArgs e)
    {
        Response.Redirect("BookEdit.aspx");
    }

    protected void btnFirst_Click(object sender, EventArgs e)
    {
        PageIndex = 1;
        BindList();
    }

    protected void btnPrevious_Click(object sender, EventArgs e)
    {
        PageIndex = PageIndex - 1;
        BindList();
    }

    protected void btnNext_Click(object sender, EventArgs e)
    {
        PageIndex = PageIndex + 1;
        BindList();
    }

    protected void btnLast_Click(object sender, EventArgs e)
    {
        PageIndex = PageCount;
        BindList();
    }

    protected void rptList_ItemCommand(object source, RepeaterCommandEventArgs e)
    {
        if (e.CommandName != "Delete")
        {
            return;
        }
        try
        {
            int key;
            if (!int.TryParse(Convert.ToString(e.CommandArgument), out key))
            {
                return;
            }
            lblMessage.Text = dalBookPages.Delete(key) > 0 ? "删除成功。" : "该记录已不存在。";
        }
        catch (Exception)
        {
            lblMessage.Text = DatabaseMessage("删除图书");
            return;
        }
        BindList();
    }
}
