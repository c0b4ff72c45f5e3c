using System;
using System.IO;
using System.Web;
using System.Web.UI;
using System.Web.UI.WebControls;

namespace BLL
{
    /// <summary>
    /// 管理页面的基类：每次请求（回发也不例外）都要求管理员已登录，视图状态与会话绑定以防跨站提交，
    /// 并提供各页共用的HTML编码、数据库错误提示和图片上传。
    /// </summary>
    public class AdminPage : Page
    {
        /// <summary>上传图片的文件夹（相对网站根目录）。</summary>
        public const string UploadFolder = "Upload";

        /// <summary>上传图片的大小上限：2MB。</summary>
        public const int MaxUploadBytes = 2 * 1024 * 1024;

        protected override void OnInit(EventArgs e)
        {
            if (Session["AdminName"] == null)
            {
                Response.Redirect("Login.aspx", true);
                return;
            }
            ViewStateUserKey = Session.SessionID;
            // A postback must carry this session's token: a form posted from another site, or from a
            // page of another session, is refused before any event of the page runs.
            string token = Session["AdminToken"] as string;
            if (token == null)
            {
                token = Guid.NewGuid().ToString("N");
                Session["AdminToken"] = token;
            }
            if (IsPostBack && Request.Form[TokenField] != token)
            {
                Response.StatusCode = 400;
                Response.ContentType = "text/html";
                Response.Write("<p>请求无效：页面已过期或来自其他网站，请刷新页面后重试。</p>");
                Response.End();
                return;
            }
            ClientScript.RegisterHiddenField(TokenField, token);
            base.OnInit(e);
        }

        private const string TokenField = "__AdminToken";

        /// <summary>写入页面的值一律经过HTML编码。</summary>
        public static string Html(object value)
        {
            return HttpUtility.HtmlEncode(value == null || value is DBNull ? "" : Convert.ToString(value));
        }

        /// <summary>日期按yyyy-MM-dd显示，空值显示为空。</summary>
        public static string DateText(object value)
        {
            return value == null || value is DBNull ? "" : Convert.ToDateTime(value).ToString("yyyy-MM-dd");
        }

        /// <summary>图片（网站相对路径）的img标记，空值时为空。</summary>
        public static string PictureTag(object value)
        {
            string path = value == null || value is DBNull ? "" : Convert.ToString(value);
            if (path.Length == 0)
            {
                return "";
            }
            return "<img class=\"picture\" src=\"" + HttpUtility.HtmlAttributeEncode(PictureUrl(path)) + "\" alt=\"\" />";
        }

        /// <summary>管理页面所在的Admin文件夹看到的图片地址。</summary>
        public static string PictureUrl(string path)
        {
            return "../" + path.TrimStart('/');
        }

        /// <summary>数据库访问失败时页面上显示的提示。</summary>
        public static string DatabaseMessage(string action)
        {
            return Html(action) + "失败：无法访问数据库。请检查web.config中名为SiteDb的连接字符串"
                 + "（服务器、数据库名和登录方式）是否正确，以及是否已在数据库中运行建表脚本。";
        }

        /// <summary>用查询所得的行（第一列为值，第二列为显示文本）填充下拉框，第一项为first。</summary>
        public static void FillList(DropDownList list, System.Data.DataTable rows, string first)
        {
            list.Items.Clear();
            list.Items.Add(new ListItem(first, ""));
            foreach (System.Data.DataRow row in rows.Rows)
            {
                list.Items.Add(new ListItem(Convert.ToString(row[1]), Convert.ToString(row[0])));
            }
        }

        /// <summary>选中值为value的项；没有这一项时不选。</summary>
        public static void Select(DropDownList list, string value)
        {
            ListItem item = list.Items.FindByValue(value);
            if (item != null)
            {
                list.ClearSelection();
                item.Selected = true;
            }
        }

        /// <summary>
        /// 保存上传的图片：只接受jpg、png和gif图片（按扩展名和文件头判断），不超过MaxUploadBytes；
        /// 文件名由网站生成，不用客户端的文件名。返回网站相对路径，失败时返回null并给出原因。
        /// </summary>
        public string SavePicture(FileUpload upload, out string error)
        {
            error = null;
            HttpPostedFile file = upload.PostedFile;
            string extension = Path.GetExtension(file.FileName).ToLowerInvariant();
            if (extension == ".jpeg")
            {
                extension = ".jpg";
            }
            if (file.ContentLength > MaxUploadBytes)
            {
                error = "图片不能超过2MB。";
                return null;
            }
            byte[] head = new byte[8];
            Stream stream = file.InputStream;
            int read = stream.Read(head, 0, head.Length);
            stream.Position = 0;
            bool jpg = read >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
            bool png = read >= 8 && head[0] == 0x89 && head[1] == 0x50 && head[2] == 0x4E && head[3] == 0x47;
            bool gif = read >= 4 && head[0] == 0x47 && head[1] == 0x49 && head[2] == 0x46 && head[3] == 0x38;
            if (!(extension == ".jpg" && jpg) && !(extension == ".png" && png) && !(extension == ".gif" && gif))
            {
                error = "只能上传jpg、png或gif格式的图片。";
                return null;
            }
            string name = DateTime.Now.ToString("yyyyMMddHHmmssfff") + Guid.NewGuid().ToString("N").Substring(0, 8) + extension;
            string folder = Server.MapPath("~/" + UploadFolder);
            Directory.CreateDirectory(folder);
            file.SaveAs(Path.Combine(folder, name));
            return UploadFolder + "/" + name;
        }
    }
}
