#include "generation/BLLOperate.h"

#include "model/NameRules.h"

void TBLLOperate::MakeBLLFile(const std::string& /*nameSpace*/, const TProjectModel& project, TSiteWriter& site,
                              const TProgressCallback& progress) {
  for (const TClassModel& entry : project.classes) {
    const std::string text = BLLText(entry);
    LayerCommon::WriteLayerFile(site, "App_Code/BLL", "bll" + entry.className + ".cs", text, progress);
  }
}

std::string TBLLOperate::BLLText(const TClassModel& entry) {
  const std::string& c = entry.className;
  const std::string o = LayerCommon::ObjectNameOf(c);
  const std::string friendName = NameRules::CommentText(entry.friendName);
  const TMember& key = LayerCommon::KeyMemberOf(entry);
  const std::string& keyName = key.GetMemberName();
  const std::string keyParameter = key.GetMemberIsInteger() == 1 ? "(int " : "(string ";

  std::string text =
      "using System;\r\n"
      "using System.Collections.Generic;\r\n"
      "using System.Linq;\r\n"
      "using System.Text;\r\n"
      "\r\n"
      "namespace BLL\r\n"
      "{\r\n";
  text += "    /*" + friendName + "业务逻辑层*/\r\n";
  // The class's opening brace stands on the class line itself.
  text += "    public class bll" + c + "{\r\n";

  text += "        /*添加" + friendName + "*/\r\n";
  text += "        public static bool Add" + c + "(ENTITY." + c + " " + o + ")\r\n";
  text += "        {\r\n";
  text += "            return DAL.dal" + c + ".Add" + c + "(" + o + ");\r\n";
  text += "        }\r\n\r\n";

  text += "        /*根据" + keyName + "获取某条" + friendName + "记录*/\r\n";
  text += "        public static ENTITY." + c + " getSome" + c + keyParameter + keyName + ")\r\n";
  text += "        {\r\n";
  text += "            return DAL.dal" + c + ".getSome" + c + "(" + keyName + ");\r\n";
  text += "        }\r\n\r\n";

  text += "        /*更新" + friendName + "*/\r\n";
  text += "        public static bool Edit" + c + "(ENTITY." + c + " " + o + ")\r\n";
  text += "        {\r\n";
  text += "            return DAL.dal" + c + ".Edit" + c + "(" + o + ");\r\n";
  text += "        }\r\n\r\n";

  text += "        /*删除" + friendName + "*/\r\n";
  text += "        public static bool Del" + c + "(string p)\r\n";
  text += "        {\r\n";
  text += "            return DAL.dal" + c + ".Del" + c + "(p);\r\n";
  text += "        }\r\n\r\n";

  // No blank line after the paged query nor after the last method.
  text += "        /*根据条件分页查询" + friendName + "*/\r\n";
  text += "        public static System.Data.DataTable Get" + c +
          "(int NowPage, int PageSize, out int AllPage, out int DataCount, string p)\r\n";
  text += "        {\r\n";
  text += "            return DAL.dal" + c + ".Get" + c + "(NowPage, PageSize, out AllPage, out DataCount, p);\r\n";
  text += "        }\r\n";

  text += "        /*查询所有的" + friendName + "*/\r\n";
  text += "        public static System.Data.DataSet getAll" + c + "()\r\n";
  text += "        {\r\n";
  text += "            return DAL.dal" + c + ".getAll" + c + "();\r\n";
  text += "        }\r\n";
  text += "    }\r\n";
  text += "}\r\n";
  return text;
}
