using System;
using System.Data;
using System.Web.UI;
using System.Web.UI.WebControls;
using DAL;

// 借阅记录管理：按条件查询，分页显示（每次只从数据库读一页），查看、编辑和删除。
public class Admin_LoanList : BLL.AdminPage
{
    protected Label lblMessage;
    protected Label lblSearchlender;
    protected DropDownList ddllender;
    protected Label lblSearchborrower;
    protected DropDownList ddlborrower;
    protected Label lblSearchamount;
    protected TextBox txtamount;
    protected Label lblSearchlentOn;
    protected TextBox txtlentOnFrom;
    protected TextBox txtlentOnTo;
    protected Label lblSearchnote;
    protected TextBox txtnote;
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
            FillList(ddllender, dalLoanPages.LookupPerson(), "全部");
            FillList(ddlborrower, dalLoanPages.LookupPerson(), "全部");
        }
        catch (Exception)
        {
            lblMessage.Text = DatabaseMessage("读取借阅记录列表");
            return;
        }
        BindList();
    }

    // The conditions of the search panel; null, with the reason in lblMessage, when one cannot be read.
    private dalLoanPages.Search Conditions()
    {
        dalLoanPages.Search search = new dalLoanPages.Search();
        int lenderKey;
        if (int.TryParse(ddllender.SelectedValue, out lenderKey))
        {
            search.lender = lenderKey;
        }
        int borrowerKey;
        if (int.TryParse(ddlborrower.SelectedValue, out borrowerKey))
        {
            search.borrower = borrowerKey;
        }
        if (txtamount.Text.Trim().Length > 0)
        {
            float value;
            if (!float.TryParse(txtamount.Text.Trim(), out value))
            {
                lblMessage.Text = Html("金额应为数字。");
                return null;
            }
            search.amount = value;
        }
        DateTime lentOnFrom, lentOnTo;
        if (txtlentOnFrom.Text.Trim().Length > 0)
        {
            if (!DateTime.TryParse(txtlentOnFrom.Text.Trim(), out lentOnFrom) || lentOnFrom.Year < 1753)
            {
                lblMessage.Text = Html("借出日期的起始日期无效。");
                return null;
            }
            search.lentOnFrom = lentOnFrom;
        }
        if (txtlentOnTo.Text.Trim().Length > 0)
        {
            if (!DateTime.TryParse(txtlentOnTo.Text.Trim(), out lentOnTo) || lentOnTo.Year < 1753)
            {
                lblMessage.Text = Html("借出日期的截止日期无效。");
                return null;
            }
            search.lentOnTo = lentOnTo;
        }
        search.note = txtnote.Text.Trim();
        return search;
    }

    private void BindList()
    {
        dalLoanPages.Search search = Conditions();
        if (search == null)
        {
            rptList.Visible = false;
            return;
        }
        try
        {
            int count = dalLoanPages.Count(search);
            PageCount = Math.Max(1, (count + PageSize - 1) / PageSize);
            PageIndex = Math.Min(Math.Max(PageIndex, 1), PageCount);
            rptList.DataSource = count == 0 ? new DataTable() : dalLoanPages.Page(search, PageIndex, PageSize);
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
            lblMessage.Text = DatabaseMessage("读取借阅记录列表");
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
        ddllender.SelectedIndex = 0;
        ddlborrower.SelectedIndex = 0;
        txtamount.Text = "";
        txtlentOnFrom.Text = "";
        txtlentOnTo.Text = "";
        txtnote.Text = "";
        PageIndex = 1;
        BindList();
    }

    protected void btnAdd_Click(object sender, EventArgs e)
    {
        Response.Redirect("LoanEdit.aspx");
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
            lblMessage.Text = dalLoanPages.Delete(key) > 0 ? "删除成功。" : "该记录已不存在。";
        }
        catch (Exception)
        {
            lblMessage.Text = DatabaseMessage("删除借阅记录");
            return;
        }
        BindList();
    }
}
