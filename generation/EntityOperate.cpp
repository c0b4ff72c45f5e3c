#include "generation/EntityOperate.h"

#include <memory>

#include "catalogue/MemberDAO.h"

void TEntityOperate::MakeEntityFile(const std::string& /*nameSpace*/, const TNameIdList& classes,
                                    const TGenerationTarget& target, const TProgressCallback& progress) {
  for (const TNameId& entry : classes) {
    const std::string text = EntityText(target.projectId, entry.id, entry.name);
    LayerCommon::WriteLayerFile(target, "App_Code/ENTITY", entry.name + ".cs", text, progress);
  }
}

std::string TEntityOperate::EntityText(int projectId, int classId, const std::string& className) {
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

  std::unique_ptr<TDbQuery> members = TMemberDAO().OpenMembersOfClass(classId);
  for (members->First(); !members->Eof(); members->Next()) {
    const std::string name = members->FieldByName("memberName").AsString();
    const std::string type = members->FieldByName("memberType").AsString();
    const std::string comment = members->FieldByName("memberComment").AsString();
    const std::string csType = LayerCommon::CSharpTypeOf(LayerCommon::ValueKindOf(projectId, className, name, type));
    text += "        /*" + comment + "*/\r\n";
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
