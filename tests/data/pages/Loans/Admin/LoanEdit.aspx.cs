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
    protected HtmlTableRow row_id;
    protected Label lbl_id;
    protected Label lblFor_lender;
    protected DropDownList ddl_lender;
    protected RequiredFieldValidator rfv_lender;
    protected Label lblFor_borrower;
    protected DropDownList ddl_borrower;
    protected Label lblFor_amount;
    protected TextBox txt_amount;
    protected CompareValidator cv_amount;
    protected RequiredFieldValidator rfv_amount;
    protected Label lblFor_lentOn;
    protected TextBox txt_lentOn;
    protected CompareValidator cv_lentOn;
    protected RequiredFieldValidator rfv_lentOn;
    protected Label lblFor_note;
    protected TextBox txt_note;
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
            FillList(ddl_lender, dalLoanPages.LookupPerson(), "请选择");
            FillList(ddl_borrower, dalLoanPages.LookupPerson(), "请选择");
            if (id == null)
            {
                row_id.Visible = false;
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
            lbl_id.Text = Html(row["id"]);
            Select(ddl_lender, Convert.ToString(row["lender"]));
            Select(ddl_borrower, Convert.ToString(row["borrower"]));
            txt_amount.Text = Convert.ToString(row["amount"]);
            txt_lentOn.Text = DateText(row["lentOn"]);
            txt_note.Text = Convert.ToString(row["note"]);
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
            string value = ddl_lender.SelectedValue;
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
            string value = ddl_borrower.SelectedValue;
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
            string text = txt_amount.Text.Trim();
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
            string text = txt_lentOn.Text.Trim();
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
        string text_note = txt_note.Text.Trim();
        if (problem == null && text_note.Length > 400)
        {
            problem = "note不能超过400个字符。";
        }
        entity.note = text_note;
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
