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
    protected Label lblFor_title;
    protected TextBox txt_title;
    protected RequiredFieldValidator rfv_title;
    protected HtmlTableRow row_id;
    protected Label lbl_id;
    protected Label lblFor_price;
    protected TextBox txt_price;
    protected CompareValidator cv_price;
    protected Label lblFor_cover;
    protected Image img_cover;
    protected FileUpload fu_cover;
    protected Label lblFor_published;
    protected TextBox txt_published;
    protected CompareValidator cv_published;
    protected Label lblFor_stock;
    protected TextBox txt_stock;
    protected CompareValidator cv_stock;
    protected Label lblFor_categoryId;
    protected DropDownList ddl_categoryId;
    protected Label lblFor_houseCode;
    protected DropDownList ddl_houseCode;
    protected Button btnSave;

    // The key of the row being edited, kept from the first request; null while adding.
    private string EditKey
    {
        get { return ViewState["EditKey"] as string; }
        set { ViewState["EditKey"] = value; }
    }

    // The stored picture of cover, kept when no new one is chosen.
    private string Current_cover
    {
        get { return ViewState["Current_cover"] as string ?? ""; }
        set { ViewState["Current_cover"] = value; }
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
            FillList(ddl_categoryId, dalBookPages.LookupCategory(), "请选择");
            FillList(ddl_houseCode, dalBookPages.LookupPublishHouse(), "请选择");
            if (id == null)
            {
                row_id.Visible = false;
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
            txt_title.Text = Convert.ToString(row["title"]);
            lbl_id.Text = Html(row["id"]);
            txt_price.Text = Convert.ToString(row["price"]);
            Current_cover = Convert.ToString(row["cover"]);
            txt_published.Text = DateText(row["published"]);
            txt_stock.Text = Convert.ToString(row["stock"]);
            Select(ddl_categoryId, Convert.ToString(row["categoryId"]));
            Select(ddl_houseCode, Convert.ToString(row["houseCode"]));
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
        img_cover.Visible = Current_cover.Length > 0;
        img_cover.ImageUrl = Current_cover.Length > 0 ? PictureUrl(Current_cover) : "";
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
        string text_title = txt_title.Text.Trim();
        if (problem == null && text_title.Length == 0)
        {
            problem = "请填写书名。";
        }
        if (problem == null && text_title.Length > 50)
        {
            problem = "书名不能超过50个字符。";
        }
        entity.title = text_title;
        if (EditKey != null)
        {
            entity.id = int.Parse(EditKey);
        }
        if (problem == null)
        {
            float value = 0;
            string text = txt_price.Text.Trim();
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
            string text = txt_published.Text.Trim();
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
            string text = txt_stock.Text.Trim();
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
            string value = ddl_categoryId.SelectedValue;
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
            string value = ddl_houseCode.SelectedValue;
            if (value.Length == 0)
            {
                problem = "请选择出版社。";
            }
            else
            {
                entity.houseCode = value;
            }
        }
        entity.cover = Current_cover;
        if (problem == null && fu_cover.HasFile)
        {
            string error;
            string path = SavePicture(fu_cover, out error);
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
