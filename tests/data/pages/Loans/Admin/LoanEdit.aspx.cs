using System;
using System.Data;
using System.Web.UI;
using System.Web.UI.HtmlControls;
using System.Web.UI.WebControls;
using DAL;

// 添加和编辑借阅记录：不带id时添加，带id时编辑该记录；保存经过业务逻辑层，完成后回到列表。
public class Admin_LoanEdit : BLL.AdminPage
{
    protected Label lblTitle;
    protected Label lblMessage;
    protected HtmlTableRow rowid;
    protected Label lblid;
    protected Label lblForlender;
    protected DropDownList ddllender;
    protected RequiredFieldValidator rfvlender;
    protected Label lblForborrower;
    protected DropDownList ddlborrower;
    protected Label lblForamount;
    protected TextBox txtamount;
    protected CompareValidator cvamount;
    protected RequiredFieldValidator rfvamount;
    protected Label lblForlentOn;
    protected TextBox txtlentOn;
    protected CompareValidator cvlentOn;
    protected RequiredFieldValidator rfvlentOn;
    protected Label lblFornote;
    protected TextBox txtnote;
    protected Button btnSave;

    // The key of the row being edited, kept from the first request; null while adding.
    private string EditKey
    {
        get { return ViewState["EditKey"] as string; }
        set { ViewState["EditKey"] = value; }
    }

    protected void Page_Load(object sender, EventArgs e)
    {
        if (IsPostBack)
        {
            ShowPictures();
            return;
        }
        string id = Request.QueryString["id"];
        lblTitle.Text = id == null ? "添加借阅记录" : "编辑借阅记录";
        try
        {
            FillList(ddllender, dalLoanPages.LookupPerson(), "请选择");
            FillList(ddlborrower, dalLoanPages.LookupPerson(), "请选择");
            if (id == null)
            {
                rowid.Visible = false;
                return;
            }
            int key;
            DataRow row = int.TryParse(id, out key) ? dalLoanPages.GetRow(key) : null;
            if (row == null)
            {
                lblMessage.Text = "要编辑的记录不存在。";
                btnSave.Visible = false;
                return;
            }
            EditKey = Convert.ToString(row["id"]);
            lblid.Text = Html(row["id"]);
            Select(ddllender, Convert.ToString(row["lender"]));
            Select(ddlborrower, Convert.ToString(row["borrower"]));
            txtamount.Text = Convert.ToString(row["amount"]);
            txtlentOn.Text = DateText(row["lentOn"]);
            txtnote.Text = Convert.ToString(row["note"]);
            ShowPictures();
        }
        catch (Exception)
        {
            lblMessage.Text = DatabaseMessage("读取借阅记录");
            btnSave.Visible = false;
        }
    }

    // Shows each stored picture; a required picture that is stored already need not be chosen again.
    private void ShowPictures()
    {
    }

    protected void btnSave_Click(object sender, EventArgs e)
    {
        // The checks of the browser run again here: a request need not come from this form.
        Validate();
        if (!IsValid)
        {
            return;
        }
        ENTITY.Loan entity = new ENTITY.Loan();
        string problem = null;
        if (EditKey != null)
        {
            entity.id = int.Parse(EditKey);
        }
        if (problem == null)
        {
            // The entity holds the referenced key, never an empty one: a reference is always asked for.
            string value = ddllender.SelectedValue;
            if (value.Length == 0)
            {
                problem = "请选择出借人。";
            }
            else
            {
                entity.lender = int.Parse(value);
            }
        }
        if (problem == null)
        {
            // The entity holds the referenced key, never an empty one: a reference is always asked for.
            string value = ddlborrower.SelectedValue;
            if (value.Length == 0)
            {
                problem = "请选择借入人。";
            }
            else
            {
                entity.borrower = int.Parse(value);
            }
        }
        if (problem == null)
        {
            float value = 0;
            string text = txtamount.Text.Trim();
            if (text.Length > 0 && !float.TryParse(text, out value))
            {
                problem = "金额应为数字。";
            }
            else if (text.Length > 0)
            {
                entity.amount = value;
            }
            else
            {
                problem = "请填写金额。";
            }
        }
        if (problem == null)
        {
            // The entity holds a date, never an empty one: a date is always asked for.
            DateTime value;
            string text = txtlentOn.Text.Trim();
            if (text.Length == 0)
            {
                problem = "请填写借出日期。";
            }
            else if (!DateTime.TryParse(text, out value) || value.Year < 1753)
            {
                problem = "借出日期不是有效的日期。";
            }
            else
            {
                entity.lentOn = value;
            }
        }
        string noteText = txtnote.Text.Trim();
        if (problem == null && noteText.Length > 400)
        {
            problem = "note不能超过400个字符。";
        }
        entity.note = noteText;
        if (problem != null)
        {
            lblMessage.Text = Html(problem);
            return;
        }
        try
        {
            bool saved = EditKey == null ? BLL.bllLoan.AddLoan(entity) : BLL.bllLoan.EditLoan(entity);
            if (!saved)
            {
                lblMessage.Text = "没有保存：该记录可能已被删除。";
                return;
            }
        }
        catch (Exception)
        {
            lblMessage.Text = DatabaseMessage("保存借阅记录");
            return;
        }
        Response.Redirect("LoanList.aspx?done=" + (EditKey == null ? "added" : "saved"));
    }
}
