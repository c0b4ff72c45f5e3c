#include <gtest/gtest.h>

#include "model/ClassIndex.h"

// The index must answer every lookup exactly as the model's own scan does, since the
// generators use one and other code the other.
TEST(ClassIndex, AnswersAsFindClassDoes) {
  TProjectModel project;
  for (const char* name : {"Book", "BOOK", "tag", "Ärger", "图书", "", "Book2"}) {
    TClassModel entry;
    entry.className = name;
    project.classes.push_back(entry);
  }
  const TClassIndex index(project);
  for (const char* name : {"Book", "book", "BOOK", "bOoK", "Book ", "Book2", "TAG", "Ärger", "äRGER", "ärger", "图书",
                           "", "Category", "Boo"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(index.Find(name), project.FindClass(name));
  }
  // Of two names that differ only in case, the first in catalogue order is found.
  EXPECT_EQ(index.Find("BOOK"), &project.classes[0]);
  EXPECT_EQ(index.Find("ÄRGER"), &project.classes[3]);
  EXPECT_EQ(index.Find("ärger"), nullptr);
}
