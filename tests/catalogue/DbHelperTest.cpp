#include <gtest/gtest.h>

#include "catalogue/DbHelper.h"
#include "support/TempCatalogue.h"

TEST(DbHelper, MissingCatalogueIsCreatedEmpty) {
  TTempCatalogue catalogue;
  EXPECT_EQ(TDbHelper().GetScalarInt("select count(*) from t_project"), 0);
}
