#include "generation/EntityOperate.h"

#include "model/NameRules.h"

void TEntityOperate::MakeEntityFile(const std::string& /*nameSpace*/, const TProjectModel& project, TSiteWriter& site,
                                    const TProgressCallback& progress) {
  const TClassIndex classes(project);
  for (const TClassModel& entry : project.classes) {
    const std::string text = EntityText(entry, classes);
    LayerCommon::WriteLayerFile(site, "App_Code/ENTITY", entry.className + ".cs", text, progress);
  }
}

std::string TEntityOperate::EntityText(const TClassModel& entry, const TClassIndex& classes) {
  const std::string& className = entry.className;
  std::string text =
      "using System;\r\n"
      "using System.Data;\r\n"
      "using System.Configuration;\r\n"
      "using System.Linq;\r\n"
      "using System.Web;\r\n"
      "using System.Web.Security;\r\n"
      "using System.Web.UI;\r\n"
      "using System.Web.UI.HtmlControls;\r\n"
      "using System.Web.UI.WebControls;\r\n"
      "using System.Web.UI.WebControls.WebParts;\r\n"
      "using System.Xml.Linq;\r\n"
      "\r\n"
      "namespace ENTITY\r\n"
      "{\r\n"
      "    /// <summary>\r\n";
  // Every entity carries the same description after its name.
  text += "    ///" + className + " 的摘要说明：图书信息实体\r\n";
  text += "    /// </summary>\r\n\r\n";
  text += "    public class " + className + "\r\n";
  text += "    {\r\n";

  for (const TMember& member : entry.members) {
    const std::string& name = member.GetMemberName();
    const std::string csType = LayerCommon::CSharpTypeOf(LayerCommon::ValueKindOf(classes, className, member));
    text += "        /*" + NameRules::CommentText(member.GetMemberComment()) + "*/\r\n";
    text += "        private " + csType + " _" + name + ";\r\n";
    text += "        public " + csType + " " + name + "\r\n";
    text += "        {\r\n";
    text += "            get { return _" + name + "; }\r\n";
    text += "            set { _" + name + " = value; }\r\n";
    text += "        }\r\n\r\n";
  }

  text += "    }\r\n";
  text += "}\r\n";
  return text;
}
