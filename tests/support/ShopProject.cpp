#include "support/ShopProject.h"

#include "catalogue/ClassDAO.h"
#include "catalogue/DbHelper.h"
#include "model/Member.h"
#include "catalogue/MemberDAO.h"
#include "catalogue/ProjectDAO.h"
#include "support/CatalogueSeed.h"

void AddShopMember(int projectId, int classId, const std::string& name, const std::string& type, bool isKey,
                   const std::string& comment) {
  TMember member = NewMember(projectId, classId, name, type);
  member.SetMemberLength(type == MemberTypes::kString ? 50 : 0);
  member.SetMemberIsPri(isKey ? 1 : 0);
  member.SetMemberComment(comment);
  member.SetMemberIsMust(isKey ? 1 : 0);
  member.SetMemberIsInteger(type == MemberTypes::kInteger ? 1 : 0);
  member.SetMemberIsFloat(type == MemberTypes::kFloat ? 1 : 0);
  TMemberDAO().AddMember(member);
}

TShopProject MakeShopProject() {
  TProjectDAO().AddProject("Shop");
  TShopProject shop;
  shop.projectId = TProjectDAO().ListProjects().back().id;
  const int p = shop.projectId;

  TClassDAO classes;
  classes.AddClass(p, "Category", "图书类别");
  classes.AddClass(p, "PublishHouse", "出版社");
  classes.AddClass(p, "Book", "图书");
  classes.AddClass(p, "tag", "");
  shop.classes = classes.ListClassesOfProject(p);
  const int category = shop.classes[0].id;
  const int house = shop.classes[1].id;
  const int book = shop.classes[2].id;
  const int tag = shop.classes[3].id;

  AddShopMember(p, category, "id", MemberTypes::kInteger, true, "编号");
  AddShopMember(p, category, "name", MemberTypes::kString, false, "类别名称");

  AddShopMember(p, house, "name", MemberTypes::kString, false, "社名");
  AddShopMember(p, house, "code", MemberTypes::kString, true, "社号");
  AddShopMember(p, house, "founded", MemberTypes::kDate, false, "成立日期");

  AddShopMember(p, book, "title", MemberTypes::kString, false, "书名");
  AddShopMember(p, book, "id", MemberTypes::kInteger, true, "编号");
  AddShopMember(p, book, "price", MemberTypes::kFloat, false, "价格");
  AddShopMember(p, book, "cover", MemberTypes::kPicture, false, "");
  AddShopMember(p, book, "published", MemberTypes::kDate, false, "出版日期");
  AddShopMember(p, book, "stock", MemberTypes::kInteger, false, "库存");
  AddShopMember(p, book, "categoryId", "Category", false, "类别");
  AddShopMember(p, book, "houseCode", "PublishHouse", false, "出版社");

  AddShopMember(p, tag, "tagId", MemberTypes::kInteger, true, "标签号");
  return shop;
}

TShopProject MakeGeneratableShopProject() {
  const TShopProject shop = MakeShopProject();
  for (const TNameId& entry : shop.classes)
    TDbHelper().ExecSql("update t_member set memberIsDisplay=1 where memberIsPri=1 and classId=" +
                        std::to_string(entry.id));
  return shop;
}
