#pragma once

#include <string>

#include "catalogue/DbHelper.h"
#include "generation/AutoCode.h"
#include "generation/DataBaseSql.h"
#include "support/RecordingObserver.h"
#include "support/ShopProject.h"

// The Shop project set up for its admin pages: Category and PublishHouse are named in drop-downs by
// their name, Book is searched by title, date, category and publisher, its price and stock are no
// columns of the list and its title is required; tag has no shown and no searched member.
inline TShopProject MakePagesShopProject() {
  const TShopProject shop = MakeGeneratableShopProject();
  const std::string book = std::to_string(shop.classes[2].id);
  const auto sql = [](const std::string& statement) { TDbHelper().ExecSql(statement); };
  for (int index : {0, 1}) {
    const std::string id = std::to_string(shop.classes[index].id);
    sql("update t_member set memberIsDisplay=(memberName='name') where classId=" + id);
  }
  sql("update t_member set queryFlag=1 where classId=" + book +
      " and memberName in ('title','published','categoryId','houseCode')");
  sql("update t_member set memberQueryDisplay=0 where classId=" + book + " and memberName in ('price','stock')");
  sql("update t_member set memberIsMust=1 where classId=" + book + " and memberName='title'");
  sql("update t_member set memberQueryDisplay=0 where classId=" + std::to_string(shop.classes[3].id));
  return shop;
}

// Runs the generation of a project with its pages into folder/projects/<name>; the outcomes as recorded.
inline TRecordingObserver GenerateWithPages(int projectId, const std::string& name, const std::string& folder,
                                            bool pages = true) {
  TRecordingObserver observer;
  TAutoCode run(TGenerationTarget{projectId, name, folder, CORVANTHEL_BIN_DIR "/bak"}, "corvanthel", observer,
                TSiteOptions{false, false, pages});
  run.Execute();
  return observer;
}
