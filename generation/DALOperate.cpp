#include "generation/DALOperate.h"

#include "model/NameRules.h"

namespace {

// The SqlDbType of a parameter bound to a value of this kind.
const char* SqlDbTypeOf(TValueKind kind) {
  switch (kind) {
    case TValueKind::Integer:
      return "SqlDbType.Int";
    case TValueKind::Float:
      return "SqlDbType.Float";
    case TValueKind::Date:
      return "SqlDbType.DateTime";
    case TValueKind::Text:
      break;
  }
  return "SqlDbType.VarChar";
}

std::string ParameterLine(const std::string& memberName, TValueKind kind) {
  return "             new SqlParameter(\"@" + memberName + "\"," + SqlDbTypeOf(kind) + ")";
}

}  // namespace

void TDALOperate::MakeDALFile(const std::string& /*nameSpace*/, const TProjectModel& project, TSiteWriter& site,
                              const TProgressCallback& progress) {
  const TClassIndex classes(project);
  for (const TClassModel& entry : project.classes) {
    LoadClass(entry, classes);
    const std::string text = DALText();
    LayerCommon::WriteLayerFile(site, "App_Code/DAL", "dal" + entry.className + ".cs", text, progress);
  }
}

void TDALOperate::LoadClass(const TClassModel& entry, const TClassIndex& classes) {
  FClass = nullptr;
  FKeyMember = nullptr;
  FClasses = &classes;
  FClassName = entry.className;
  FObjectName = LayerCommon::ObjectNameOf(entry.className);
  FFriendName = NameRules::CommentText(entry.friendName);
  FKeyMember = &LayerCommon::KeyMemberOf(entry);
  FClass = &entry;
}

std::string TDALOperate::DALText() const {
  std::string text =
      "using System;\r\n"
      "using System.Collections.Generic;\r\n"
      "using System.Linq;\r\n"
      "using System.Text;\r\n"
      "using System.Data.SqlClient;\r\n"
      "using System.Data;\r\n"
      "\r\n"
      "using ENTITY;\r\n"
      "\r\n"
      "namespace DAL\r\n"
      "{\r\n";
  text += "    /*" + FFriendName + "业务逻辑层实现*/\r\n";
  text += "    public class dal" + FClassName + "\r\n";
  text += "    {\r\n";
  text += "        /*待执行的sql语句*/\r\n";
  text += "        public static string sql = \"\";\r\n\r\n";
  // The first two methods are followed by one blank line, the other four by two.
  text += MakeAdd();
  text += MakeGetSome();
  text += MakeEdit() + "\r\n";
  text += MakeDel() + "\r\n";
  text += MakeGetPaged() + "\r\n";
  text += MakeGetAll() + "\r\n";
  text += "    }\r\n";
  text += "}\r\n";
  return text;
}

std::vector<const TMember*> TDALOperate::Members(bool all) const {
  // Without the key these are the members with memberIsPri 0: a member with a value other
  // than 0 or 1 (only another tool can store one) is not the key either, and is left out too.
  std::vector<const TMember*> members;
  members.reserve(FClass->members.size());
  for (const TMember& member : FClass->members)
    if (all || member.GetMemberIsPri() == 0) members.push_back(&member);
  return members;
}

TValueKind TDALOperate::KindOf(const TMember& member) const {
  return LayerCommon::ValueKindOf(*FClasses, FClassName, member);
}

std::string TDALOperate::MakeAdd() const {
  // An integer key is an identity column: the database assigns it, so the insert leaves it out.
  const std::vector<const TMember*> members = Members(!HasIntegerKey());

  std::string columns;
  std::string values;
  for (std::size_t i = 0; i < members.size(); ++i) {
    const std::string separator = i == 0 ? "" : ",";
    columns += separator + members[i]->GetMemberName();
    values += separator + "@" + members[i]->GetMemberName();
  }

  std::string text;
  text += "        /*添加" + FFriendName + "实现*/\r\n";
  text += "        public static bool Add" + FClassName + "(ENTITY." + FClassName + " " + FObjectName + ")\r\n";
  text += "        {\r\n";
  text += "            string sql = \"insert into " + FClassName + "(" + columns + ") values(" + values + ")\";\r\n";
  text += "            /*构建sql参数*/\r\n";
  text += "            SqlParameter[] parm = new SqlParameter[] {\r\n";
  for (std::size_t i = 0; i < members.size(); ++i) {
    text +=
        ParameterLine(members[i]->GetMemberName(), KindOf(*members[i])) + (i + 1 < members.size() ? "," : "") + "\r\n";
  }
  text += "            };\r\n";
  text += "            /*给参数赋值*/\r\n";
  for (std::size_t i = 0; i < members.size(); ++i) {
    text += "            parm[" + std::to_string(i) + "].Value = " + FObjectName + "." + members[i]->GetMemberName() +
            "; //" + NameRules::CommentText(members[i]->GetMemberComment()) + "\r\n";
  }
  text += "\r\n";
  text += "            /*执行sql进行添加*/\r\n";
  text += "            return (DBHelp.ExecuteNonQuery(sql, parm) > 0) ? true : false;\r\n";
  text += "        }\r\n\r\n";
  return text;
}

std::string TDALOperate::MakeGetSome() const {
  const std::vector<const TMember*> members = Members(true);
  const std::string& key = KeyName();

  std::string text;
  text += "        /*根据" + key + "获取某条" + FFriendName + "记录*/\r\n";
  text += "        public static ENTITY." + FClassName + " getSome" + FClassName + "(" +
          (HasIntegerKey() ? "int" : "string") + " " + key + ")\r\n";
  text += "        {\r\n";
  text += "            /*构建查询sql*/\r\n";
  if (HasIntegerKey()) {
    text += "            string sql = \"select * from " + FClassName + " where " + key + "=\" + " + key + ";\r\n";
  } else {
    text +=
        "            string sql = \"select * from " + FClassName + " where " + key + "='\" + " + key + " + \"'\"; \r\n";
  }
  text += "            SqlDataReader DataRead = DBHelp.ExecuteReader(sql, null);\r\n";
  text += "            ENTITY." + FClassName + " " + FObjectName + " = new ENTITY." + FClassName + "();\r\n";
  text += "            /*如果查询存在记录，就包装到对象中返回*/\r\n";
  text += "            if (DataRead.Read())\r\n";
  text += "            {\r\n";
  for (const TMember* member : members) {
    const std::string column = "DataRead[\"" + member->GetMemberName() + "\"]";
    text += "                " + FObjectName + "." + member->GetMemberName();
    switch (KindOf(*member)) {
      case TValueKind::Text:
        text += " = " + column + ".ToString();\r\n";
        break;
      case TValueKind::Integer:
        text += " = Convert.ToInt32(" + column + ");\r\n";
        break;
      case TValueKind::Float:
        text += " = float.Parse(" + column + ".ToString());\r\n";
        break;
      case TValueKind::Date:
        text += " = Convert.ToDateTime(" + column + ".ToString());\r\n";
        break;
    }
  }
  text += "            }\r\n";
  text += "            return " + FObjectName + ";\r\n";
  text += "        }\r\n\r\n";
  return text;
}

std::string TDALOperate::MakeEdit() const {
  const std::vector<const TMember*> members = Members(false);
  const std::string& key = KeyName();

  std::string setList;
  for (std::size_t i = 0; i < members.size(); ++i) {
    setList += (i == 0 ? "" : ",") + members[i]->GetMemberName() + "=@" + members[i]->GetMemberName();
  }

  std::string text;
  text += "        /*更新" + FFriendName + "实现*/\r\n";
  text += "        public static bool Edit" + FClassName + "(ENTITY." + FClassName + " " + FObjectName + ")\r\n";
  text += "        {\r\n";
  text +=
      "            string sql = \"update " + FClassName + " set " + setList + " where " + key + "=@" + key + "\";\r\n";
  text += "            /*构建sql参数信息*/\r\n";
  text += "            SqlParameter[] parm = new SqlParameter[] {\r\n";
  // The key is bound last, so every other parameter line ends with a comma.
  for (const TMember* member : members) text += ParameterLine(member->GetMemberName(), KindOf(*member)) + ",\r\n";
  text += ParameterLine(key, HasIntegerKey() ? TValueKind::Integer : TValueKind::Text) + "\r\n";
  text += "            };\r\n";
  text += "            /*为参数赋值*/\r\n";
  for (std::size_t i = 0; i < members.size(); ++i) {
    text += "            parm[" + std::to_string(i) + "].Value = " + FObjectName + "." + members[i]->GetMemberName() +
            ";\r\n";
  }
  text += "            parm[" + std::to_string(members.size()) + "].Value = " + FObjectName + "." + key + ";\r\n";
  text += "            /*执行更新*/\r\n";
  text += "            return (DBHelp.ExecuteNonQuery(sql, parm) > 0) ? true : false;\r\n";
  text += "        }\r\n\r\n";
  return text;
}

std::string TDALOperate::MakeDel() const {
  const std::string& key = KeyName();
  std::string text;
  text += "        /*删除" + FFriendName + "*/\r\n";
  text += "        public static bool Del" + FClassName + "(string p)\r\n";
  text += "        {\r\n";
  if (HasIntegerKey()) {
    text += "            string sql = \"delete from " + FClassName + " where " + key + " in (\" + p + \") \";\r\n";
  } else {
    // Text keys are quoted one by one before they go into the in list.
    text +=
        "            string sql = \"\";\r\n"
        "            string[] ids = p.Split(',');\r\n"
        "            for(int i=0;i<ids.Length;i++)\r\n"
        "            {\r\n"
        "                if(i != ids.Length-1)\r\n"
        "                  sql += \"'\" + ids[i] + \"',\";\r\n"
        "                else\r\n"
        "                  sql += \"'\" + ids[i] + \"'\";\r\n"
        "            }\r\n";
    text += "            sql = \"delete from " + FClassName + " where " + key + " in (\" + sql + \")\";\r\n";
  }
  text += "            return ((DBHelp.ExecuteNonQuery(sql, null)) > 0) ? true : false;\r\n";
  text += "        }\r\n\r\n";
  return text;
}

std::string TDALOperate::MakeGetPaged() const {
  const std::string& key = KeyName();
  const std::string pager = HasIntegerKey() ? "ExecutePager" : "ExecutePagerWhenPrimaryIsString";
  std::string text;
  text += "        /*查询" + FFriendName + "*/\r\n";
  text += "        public static System.Data.DataTable Get" + FClassName +
          "(int PageIndex, int PageSize, out int PageCount, out int RecordCount, string strWhere)\r\n";
  text += "        {\r\n";
  text += "            try\r\n";
  text += "            {\r\n";
  text += "                string strSql = \" select * from " + FClassName + "\";\r\n";
  text += "                string strShow = \"*\";\r\n";
  text += "                return DAL.DBHelp." + pager + "(PageIndex, PageSize, \"" + key +
          "\", strShow, strSql, strWhere, \" " + key + " asc \", out PageCount, out RecordCount);\r\n";
  text += "            }\r\n";
  text += "            catch (Exception ex)\r\n";
  text += "            {\r\n";
  text += "                throw ex;\r\n";
  text += "            }\r\n";
  text += "        }\r\n\r\n";
  return text;
}

std::string TDALOperate::MakeGetAll() const {
  std::string text;
  text += "        public static DataSet getAll" + FClassName + "()\r\n";
  text += "        {\r\n";
  text += "            try\r\n";
  text += "            {\r\n";
  text += "                string strSql = \"select * from " + FClassName + "\";\r\n";
  text += "                return DBHelp.ExecuteDataSet(strSql, null);\r\n";
  text += "            }\r\n";
  text += "            catch (Exception ex)\r\n";
  text += "            {\r\n";
  text += "                throw ex;\r\n";
  text += "            }\r\n";
  text += "        }\r\n\r\n";
  return text;
}
