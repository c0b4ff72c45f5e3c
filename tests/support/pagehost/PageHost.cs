// Runs the pages of a copy of a generated site inside Mono's own ASP.NET runtime (System.Web hosting,
// no web server) and drives them with GET and POST requests the way a browser would: the session
// cookie is kept, a POST sends the fields of the last page's form (view state included) with the
// scenario's values on top, and redirects are followed.
//
//   mono PageHost.dll initdb SCRIPT.sql DATABASE      builds a SQLite file from a site's table script
//   mono PageHost.dll run SCENARIO                    runs a scenario, prints every response
//
// The program is named .dll so that the site's runtime, which loads every assembly of Bin, finds
// both the host's type and the SQLite dialect the stand-in DBHelp uses.
//
// A scenario is a UTF-8 text file, one command per line:
//   site FOLDER            the site copy (its Bin/ gets this program and Mono.Data.Sqlite; one
//                          application domain per site)
//   db FILE                the SQLite file the stand-in data access uses (missing: no database);
//                          may change between requests
//   log FILE               where the stand-in data access records each statement with its parameters
//   get PATH[?QUERY]       a GET request of a page relative to the site
//   post PATH              a POST of the last page's form; the lines after it up to "end" are
//     NAME=VALUE           fields to set (a submit button is sent only when named here)
//     -NAME                a field of the form not to send (an unchecked box)
//   end
//   upload NAME FILE       (between post and end) a file for the input NAME
//   clearcookies           forget every cookie
//   cookie NAME VALUE      send a cookie from now on (as one planted by someone else would be)
//   keepcookie NAME        remember the cookie's current value ...
//   plantkept NAME         ... and send that value again from now on
//   keeppage               remember the page last shown ...
//   usekept                ... and post its form next (as a page from another session would be)
// Each response is printed as "=== N METHOD PATH STATUS [LOCATION]", its Set-Cookie headers as
// "Set-Cookie: ..." lines, an empty line and its body as UTF-8.
using System;
using System.Collections.Generic;
using System.IO;
using System.Text;
using System.Text.RegularExpressions;
using System.Web;
using System.Web.Hosting;

namespace PageHost
{
    [Serializable]
    public class Response
    {
        public int Status;
        public string Location = "";
        public List<string> SetCookies = new List<string>();
        public byte[] Body = new byte[0];
    }

    // A request for one page, with the body and headers a browser would send.
    public class Request : SimpleWorkerRequest
    {
        readonly string page;
        readonly string query;
        readonly string verb;
        readonly byte[] body;
        readonly string contentType;
        readonly string cookie;
        readonly Response response;
        readonly MemoryStream output = new MemoryStream();
        readonly System.Threading.ManualResetEvent ended;

        public Request(string page, string query, string verb, byte[] body, string contentType, string cookie,
                       Response response, System.Threading.ManualResetEvent ended)
            : base(page, query, new StringWriter())
        {
            this.page = page;
            this.query = query;
            this.verb = verb;
            this.body = body;
            this.contentType = contentType;
            this.cookie = cookie;
            this.response = response;
            this.ended = ended;
        }

        // SimpleWorkerRequest takes what follows the page's first "/" for path info; pages in
        // folders need the whole path.
        public override string GetUriPath() { return "/" + page; }
        public override string GetFilePath() { return "/" + page; }
        public override string GetPathInfo() { return ""; }
        public override string GetFilePathTranslated() { return Path.Combine(GetAppPathTranslated(), page); }
        public override string GetRawUrl() { return "/" + page + (query.Length > 0 ? "?" + query : ""); }
        public override string GetQueryString() { return query; }

        public override string GetHttpVerbName() { return verb; }
        public override byte[] GetPreloadedEntityBody() { return body; }
        public override bool IsEntireEntityBodyIsPreloaded() { return true; }
        public override int ReadEntityBody(byte[] buffer, int size) { return 0; }
        public override string GetRemoteAddress() { return "127.0.0.1"; }
        public override string GetLocalAddress() { return "127.0.0.1"; }
        public override int GetLocalPort() { return 80; }
        public override string GetServerName() { return "localhost"; }

        public override string GetKnownRequestHeader(int index)
        {
            switch (index)
            {
                case HeaderContentType: return body.Length > 0 || verb == "POST" ? contentType : null;
                case HeaderContentLength: return verb == "POST" ? body.Length.ToString() : null;
                case HeaderCookie: return cookie.Length > 0 ? cookie : null;
                case HeaderHost: return "localhost";
                case HeaderUserAgent: return "Mozilla/5.0 (PageHost)";
                case HeaderAcceptLanguage: return "zh-CN";
                default: return base.GetKnownRequestHeader(index);
            }
        }

        public override void SendStatus(int statusCode, string statusDescription) { response.Status = statusCode; }

        public override void SendKnownResponseHeader(int index, string value)
        {
            if (index == HeaderLocation) response.Location = value;
            if (index == HeaderSetCookie) response.SetCookies.Add(value);
        }

        public override void SendUnknownResponseHeader(string name, string value)
        {
            if (string.Equals(name, "Location", StringComparison.OrdinalIgnoreCase)) response.Location = value;
            if (string.Equals(name, "Set-Cookie", StringComparison.OrdinalIgnoreCase)) response.SetCookies.Add(value);
        }

        public override void SendResponseFromMemory(byte[] data, int length) { output.Write(data, 0, length); }

        public override void SendResponseFromFile(string filename, long offset, long length)
        {
            using (FileStream file = File.OpenRead(filename))
            {
                file.Seek(offset, SeekOrigin.Begin);
                byte[] data = new byte[length < 0 ? file.Length - offset : length];
                int read = file.Read(data, 0, data.Length);
                output.Write(data, 0, read);
            }
        }

        public override void FlushResponse(bool finalFlush) { }

        public override void EndOfRequest()
        {
            response.Body = output.ToArray();
            ended.Set();
        }
    }

    // Lives in the site's application domain and runs its requests there.
    public class SiteDomain : MarshalByRefObject
    {
        public override object InitializeLifetimeService() { return null; }

        public void Configure(string database, string log)
        {
            AppDomain.CurrentDomain.SetData("PageHost.Database", database);
            AppDomain.CurrentDomain.SetData("PageHost.Log", log);
        }

        public Response Process(string page, string query, string verb, byte[] body, string contentType, string cookie)
        {
            Response response = new Response();
            System.Threading.ManualResetEvent ended = new System.Threading.ManualResetEvent(false);
            HttpRuntime.ProcessRequest(new Request(page, query, verb, body, contentType, cookie, response, ended));
            if (!ended.WaitOne(60000)) throw new TimeoutException("the request for " + page + " did not end");
            return response;
        }
    }

    public static class Program
    {
        static readonly Encoding Gbk = Encoding.GetEncoding(936);

        public static int Main(string[] args)
        {
            try
            {
                if (args.Length == 3 && args[0] == "initdb")
                {
                    SqliteScript.Build(File.ReadAllText(args[1], Gbk), args[2]);
                    return 0;
                }
                if (args.Length == 2 && args[0] == "run") return new Scenario().Run(File.ReadAllLines(args[1], Encoding.UTF8));
                Console.Error.WriteLine("usage: PageHost.dll initdb SCRIPT DATABASE | run SCENARIO");
                return 2;
            }
            catch (Exception error)
            {
                Console.Error.WriteLine(error.ToString());
                return 2;
            }
        }
    }

    // One scenario: its site, its cookies and the page last shown.
    class Scenario
    {
        static readonly Encoding Gbk = Encoding.GetEncoding(936);
        SiteDomain site;
        string database = "";
        string log = "";
        string folder = "";
        readonly Dictionary<string, string> cookies = new Dictionary<string, string>();
        string lastBody = "";
        string kept = "";
        string keptPage = "";
        int count;
        TextWriter output;

        public int Run(string[] lines)
        {
            output = new StreamWriter(Console.OpenStandardOutput(), new UTF8Encoding(false));
            try
            {
                for (int i = 0; i < lines.Length; i++)
                {
                    string line = lines[i].TrimEnd('\r');
                    if (line.Length == 0 || line.StartsWith("#")) continue;
                    string command = line.Split(' ')[0];
                    string rest = line.Length > command.Length ? line.Substring(command.Length + 1) : "";
                    switch (command)
                    {
                        case "site": folder = Path.GetFullPath(rest); break;
                        case "db":
                            database = rest;
                            if (site != null) site.Configure(database, log);
                            break;
                        case "log": log = rest; break;
                        case "clearcookies": cookies.Clear(); break;
                        case "keeppage": keptPage = lastBody; break;
                        case "usekept": lastBody = keptPage; break;
                        case "keepcookie": kept = cookies.ContainsKey(rest) ? cookies[rest] : ""; break;
                        case "plantkept": cookies[rest] = kept; break;
                        case "cookie":
                        {
                            string[] parts = rest.Split(new[] { ' ' }, 2);
                            cookies[parts[0]] = parts[1];
                            break;
                        }
                        case "get": Send("GET", rest, null, null); break;
                        case "post":
                        {
                            List<KeyValuePair<string, string>> set = new List<KeyValuePair<string, string>>();
                            List<KeyValuePair<string, string>> uploads = new List<KeyValuePair<string, string>>();
                            for (i++; i < lines.Length && lines[i].TrimEnd('\r') != "end"; i++)
                            {
                                string field = lines[i].TrimEnd('\r');
                                if (field.StartsWith("upload "))
                                {
                                    string[] parts = field.Substring(7).Split(new[] { ' ' }, 2);
                                    uploads.Add(new KeyValuePair<string, string>(parts[0], parts[1]));
                                    continue;
                                }
                                int equals = field.IndexOf('=');
                                if (field.StartsWith("-"))
                                    set.Add(new KeyValuePair<string, string>(field.Substring(1), null));
                                else
                                    set.Add(new KeyValuePair<string, string>(field.Substring(0, equals), field.Substring(equals + 1)));
                            }
                            Send("POST", rest, set, uploads);
                            break;
                        }
                        default: throw new InvalidDataException("unknown scenario line: " + line);
                    }
                }
            }
            finally
            {
                output.Flush();
            }
            return 0;
        }

        SiteDomain Site()
        {
            if (site != null) return site;
            // The runtime reads the site's assemblies from Bin (the template's spelling) or bin.
            string bin = Path.Combine(folder, Directory.Exists(Path.Combine(folder, "Bin")) ? "Bin" : "bin");
            Directory.CreateDirectory(bin);
            string self = typeof(SiteDomain).Assembly.Location;
            File.Copy(self, Path.Combine(bin, Path.GetFileName(self)), true);
            string sqlite = typeof(Mono.Data.Sqlite.SqliteConnection).Assembly.Location;
            File.Copy(sqlite, Path.Combine(bin, Path.GetFileName(sqlite)), true);
            site = (SiteDomain)ApplicationHost.CreateApplicationHost(typeof(SiteDomain), "/", folder);
            site.Configure(database, log);
            return site;
        }

        void Send(string verb, string target, List<KeyValuePair<string, string>> set,
                  List<KeyValuePair<string, string>> uploads)
        {
            string page = target, query = "";
            int mark = target.IndexOf('?');
            if (mark >= 0)
            {
                page = target.Substring(0, mark);
                query = target.Substring(mark + 1);
            }
            byte[] body = new byte[0];
            string contentType = "application/x-www-form-urlencoded";
            if (verb == "POST")
            {
                List<KeyValuePair<string, string>> fields = FormFields(lastBody);
                foreach (KeyValuePair<string, string> entry in set)
                {
                    fields.RemoveAll(f => f.Key == entry.Key);
                    if (entry.Value != null) fields.Add(entry);
                }
                if (uploads.Count > 0)
                {
                    string boundary = "----PageHostBoundary7d9";
                    contentType = "multipart/form-data; boundary=" + boundary;
                    body = Multipart(fields, uploads, boundary);
                }
                else
                {
                    StringBuilder form = new StringBuilder();
                    foreach (KeyValuePair<string, string> field in fields)
                    {
                        if (form.Length > 0) form.Append('&');
                        form.Append(HttpUtility.UrlEncode(field.Key, Gbk)).Append('=')
                            .Append(HttpUtility.UrlEncode(field.Value, Gbk));
                    }
                    body = Encoding.ASCII.GetBytes(form.ToString());
                }
            }
            for (int hop = 0; ; hop++)
            {
                Response response = Site().Process(page, query, verb, body, contentType, CookieHeader());
                foreach (string setCookie in response.SetCookies)
                {
                    string pair = setCookie.Split(';')[0];
                    int equals = pair.IndexOf('=');
                    if (equals <= 0) continue;
                    // An emptied cookie is how a page deletes one (it sets a past expiry date with it).
                    string cookieName = pair.Substring(0, equals).Trim();
                    if (pair.Substring(equals + 1).Length == 0) cookies.Remove(cookieName);
                    else cookies[cookieName] = pair.Substring(equals + 1);
                }
                count++;
                lastBody = Gbk.GetString(response.Body);
                output.WriteLine("=== " + count + " " + verb + " " + page + (query.Length > 0 ? "?" + query : "") + " "
                                 + response.Status + (response.Location.Length > 0 ? " " + response.Location : ""));
                foreach (string setCookie in response.SetCookies) output.WriteLine("Set-Cookie: " + setCookie);
                output.WriteLine();
                output.WriteLine(lastBody);
                if (response.Status != 302 || response.Location.Length == 0 || hop > 5) break;
                // A redirect is followed with a GET, as browsers do after a POST.
                string location = response.Location;
                if (location.StartsWith("http://localhost")) location = location.Substring("http://localhost".Length);
                string directory = page.Contains("/") ? page.Substring(0, page.LastIndexOf('/') + 1) : "";
                if (location.StartsWith("/")) location = location.Substring(1);
                else location = directory + location;
                location = Regex.Replace(location, @"[^/]+/\.\./", "");
                verb = "GET";
                body = new byte[0];
                page = location;
                query = "";
                mark = location.IndexOf('?');
                if (mark >= 0)
                {
                    page = location.Substring(0, mark);
                    query = location.Substring(mark + 1);
                }
            }
        }

        string CookieHeader()
        {
            StringBuilder header = new StringBuilder();
            foreach (KeyValuePair<string, string> cookie in cookies)
            {
                if (header.Length > 0) header.Append("; ");
                header.Append(cookie.Key).Append('=').Append(cookie.Value);
            }
            return header.ToString();
        }

        static string Attribute(string tag, string name)
        {
            Match match = Regex.Match(tag, "\\s" + name + "=\"([^\"]*)\"", RegexOptions.IgnoreCase);
            return match.Success ? HttpUtility.HtmlDecode(match.Groups[1].Value) : null;
        }

        // The fields a browser sends for the page's form: inputs with a name (submit buttons and
        // file inputs only when the scenario names them), checked boxes, the selected option of
        // each select and every text area.
        static List<KeyValuePair<string, string>> FormFields(string html)
        {
            List<KeyValuePair<string, string>> fields = new List<KeyValuePair<string, string>>();
            foreach (Match input in Regex.Matches(html, "<input\\b[^>]*>", RegexOptions.IgnoreCase))
            {
                string tag = input.Value;
                string name = Attribute(tag, "name");
                if (name == null || Attribute(tag, "disabled") != null) continue;
                string type = (Attribute(tag, "type") ?? "text").ToLowerInvariant();
                if (type == "submit" || type == "button" || type == "image" || type == "file" || type == "reset") continue;
                if ((type == "checkbox" || type == "radio") && Attribute(tag, "checked") == null) continue;
                fields.Add(new KeyValuePair<string, string>(name, Attribute(tag, "value") ?? (type == "checkbox" ? "on" : "")));
            }
            foreach (Match select in Regex.Matches(html, "<select\\b([^>]*)>(.*?)</select>",
                                                   RegexOptions.IgnoreCase | RegexOptions.Singleline))
            {
                string name = Attribute(select.Groups[1].Value, "name");
                if (name == null) continue;
                string chosen = null;
                foreach (Match option in Regex.Matches(select.Groups[2].Value, "<option\\b[^>]*>",
                                                       RegexOptions.IgnoreCase))
                {
                    if (chosen == null || Attribute(option.Value, "selected") != null)
                        chosen = Attribute(option.Value, "value") ?? "";
                    if (Attribute(option.Value, "selected") != null) break;
                }
                if (chosen != null) fields.Add(new KeyValuePair<string, string>(name, chosen));
            }
            foreach (Match area in Regex.Matches(html, "<textarea\\b([^>]*)>(.*?)</textarea>",
                                                 RegexOptions.IgnoreCase | RegexOptions.Singleline))
            {
                string name = Attribute(area.Groups[1].Value, "name");
                if (name == null) continue;
                string text = area.Groups[2].Value;
                if (text.StartsWith("\r\n")) text = text.Substring(2);
                else if (text.StartsWith("\n")) text = text.Substring(1);
                fields.Add(new KeyValuePair<string, string>(name, HttpUtility.HtmlDecode(text)));
            }
            return fields;
        }

        static byte[] Multipart(List<KeyValuePair<string, string>> fields, List<KeyValuePair<string, string>> uploads,
                                string boundary)
        {
            MemoryStream body = new MemoryStream();
            Action<string> write = text => { byte[] bytes = Gbk.GetBytes(text); body.Write(bytes, 0, bytes.Length); };
            foreach (KeyValuePair<string, string> field in fields)
                write("--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + field.Key + "\"\r\n\r\n"
                      + field.Value + "\r\n");
            foreach (KeyValuePair<string, string> upload in uploads)
            {
                string extension = Path.GetExtension(upload.Value).ToLowerInvariant();
                string type = extension == ".png" ? "image/png" : extension == ".gif" ? "image/gif"
                            : extension == ".jpg" || extension == ".jpeg" ? "image/jpeg" : "application/octet-stream";
                write("--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + upload.Key + "\"; filename=\""
                      + Path.GetFileName(upload.Value) + "\"\r\nContent-Type: " + type + "\r\n\r\n");
                byte[] data = File.ReadAllBytes(upload.Value);
                body.Write(data, 0, data.Length);
                write("\r\n");
            }
            write("--" + boundary + "--\r\n");
            return body.ToArray();
        }
    }
}
