using System;
using System.Data;
using System.Web.UI;
using System.Web.UI.HtmlControls;
using System.Web.UI.WebControls;
using DAL;

// 添加和编辑图书：不带id时添加，带id时编辑该记录；保存经过业务逻辑层，完成后回到列表。
public class Admin_BookEdit : BLL.AdminPage
{
    protected Label lblTitle;
    protected Label lblMessage;
    protected Label lblFortitle;
    protected TextBox txttitle;
    protected RequiredFieldValidator rfvtitle;
    protected HtmlTableRow rowid;
    protected Label lblid;
    protected Label lblForprice;
    protected TextBox txtprice;
    protected CompareValidator cvprice;
    protected Label lblForcover;
    protected Image imgcover;
    protected FileUpload fucover;
    protected Label lblForpublished;
    protected TextBox txtpublished;
    protected CompareValidator cvpublished;
    protected Label lblForstock;
    protected TextBox txtstock;
    protected CompareValidator cvstock;
    protected Label lblForcategoryId;
    protected DropDownList ddlcategoryId;
    protected Label lblForhouseCode;
    protected DropDownList ddlhouseCode;
    protected Button btnSave;

    // The key of the row being edited, kept from the first request; null while adding.
    private string EditKey
    {
        get { return ViewState["EditKey"] as string; }
        set { ViewState["EditKey"] = value; }
    }

    // The stored picture of cover, kept when no new one is chosen.
    private string Currentcover
    {
        get { return ViewState["Currentcover"] as string ?? ""; }
        set { ViewState["Currentcover"] = value; }
    }

    protected void Page_Load(object sender, EventArgs e)
    {
        if (IsPostBack)
        {
            ShowPictures();
            return;
        }
        string id = Request.QueryString["id"];
        lblTitle.Text = id == null ? "添加图书" : "编辑图书";
        try
        {
            FillList(ddlcategoryId, dalBookPages.LookupCategory(), "请选择");
            FillList(ddlhouseCode, dalBookPages.LookupPublishHouse(), "请选择");
            if (id == null)
            {
                rowid.Visible = false;
                return;
            }
            int key;
            DataRow row = int.TryParse(id, out key) ? dalBookPages.GetRow(key) : null;
            if (row == null)
            {
                lblMessage.Text = "要编辑的记录不存在。";
                btnSave.Visible = false;
                return;
            }
            EditKey = Convert.ToString(row["id"]);
            txttitle.Text = Convert.ToString(row["title"]);
            lblid.Text = Html(row["id"]);
            txtprice.Text = Convert.ToString(row["price"]);
            Currentcover = Convert.ToString(row["cover"]);
            txtpublished.Text = DateText(row["published"]);
            txtstock.Text = Convert.ToString(row["stock"]);
            Select(ddlcategoryId, Convert.ToString(row["categoryId"]));
            Select(ddlhouseCode, Convert.ToString(row["houseCode"]));
            ShowPictures();
        }
        catch (Exception)
        {
            lblMessage.Text = DatabaseMessage("读取图书");
            btnSave.Visible = false;
        }
    }

    // Shows each stored picture; a required picture that is stored already need not be chosen again.
    private void ShowPictures()
    {
        imgcover.Visible = Currentcover.Length > 0;
        imgcover.ImageUrl = Currentcover.Length > 0 ? PictureUrl(Currentcover) : "";
    }

    protected void btnSave_Click(object sender, EventArgs e)
    {
        // The checks of the browser run again here: a request need not come from this form.
        Validate();
        if (!IsValid)
        {
            return;
        }
        ENTITY.Book entity = new ENTITY.Book();
        string problem = null;
        string titleText = txttitle.Text.Trim();
        if (problem == null && titleText.Length == 0)
        {
            problem = "请填写书名。";
        }
        if (problem == null && titleText.Length > 50)
        {
            problem = "书名不能超过50个字符。";
        }
        entity.title = titleText;
        if (EditKey != null)
        {
            entity.id = int.Parse(EditKey);
        }
        if (problem == null)
        {
            float value = 0;
            string text = txtprice.Text.Trim();
            if (text.Length > 0 && !float.TryParse(text, out value))
            {
                problem = "价格应为数字。";
            }
            else if (text.Length > 0)
            {
                entity.price = value;
            }
        }
        if (problem == null)
        {
            // The entity holds a date, never an empty one: a date is always asked for.
            DateTime value;
            string text = txtpublished.Text.Trim();
            if (text.Length == 0)
            {
                problem = "请填写出版日期。";
            }
            else if (!DateTime.TryParse(text, out value) || value.Year < 1753)
            {
                problem = "出版日期不是有效的日期。";
            }
            else
            {
                entity.published = value;
            }
        }
        if (problem == null)
        {
            int value = 0;
            string text = txtstock.Text.Trim();
            if (text.Length > 0 && !int.TryParse(text, out value))
            {
                problem = "库存应为整数。";
            }
            else if (text.Length > 0)
            {
                entity.stock = value;
            }
        }
        if (problem == null)
        {
            // The entity holds the referenced key, never an empty one: a reference is always asked for.
            string value = ddlcategoryId.SelectedValue;
            if (value.Length == 0)
            {
                problem = "请选择类别。";
            }
            else
            {
                entity.categoryId = int.Parse(value);
            }
        }
        if (problem == null)
        {
            // The entity holds the referenced key, never an empty one: a reference is always asked for.
            string value = ddlhouseCode.SelectedValue;
            if (value.Length == 0)
            {
                problem = "请选择出版社。";
            }
            else
            {
                entity.houseCode = value;
            }
        }
        entity.cover = Currentcover;
        if (problem == null && fucover.HasFile)
        {
            string error;
            string path = SavePicture(fucover, out error);
            if (path == null)
            {
                problem = "cover：" + error;
            }
            else
            {
                entity.cover = path;
            }
        }
        if (problem != null)
        {
            lblMessage.Text = Html(problem);
            return;
        }
        try
        {
            bool saved = EditKey == null ? BLL.bllBook.AddBook(entity) : BLL.bllBook.EditBook(entity);
            if (!saved)
            {
                lblMessage.Text = "没有保存：该记录可能已被删除。";
                return;
            }
        }
        catch (Exception)
        {
            lblMessage.Text = DatabaseMessage("保存图书");
            return;
        }
        Response.Redirect("BookList.aspx?done=" + (EditKey == null ? "added" : "saved"));
    }
}
