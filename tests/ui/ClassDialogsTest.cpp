// "添加类" and "类更新": their checks in order, what they store, and how they bring
// the main window up to date.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "catalogue/ClassDAO.h"
#include "catalogue/MemberDAO.h"
#include "model/NameRules.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"
#include "ui/support/UiTestSupport.h"

using namespace Ui;

class TClassDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void addRefusesBadInputAndStaysOpen_data();
  void addRefusesBadInputAndStaysOpen();
  void addStoresAndReloadsTheClassList();
  void addRefusesADuplicateOnlyWithinTheProject();
  void updateDialogShowsTheSelectedClass();
  void updateRefusesBadInputAndStaysOpen_data();
  void updateRefusesBadInputAndStaysOpen();
  void updateRenamesInPlaceAndMemberTypesFollow();
  void storeErrorsKeepTheDialogOpen();

 private:
  // Opens the dialog of the action, types the two fields, presses "确定", and
  // reports whether the dialog closed; fields and messages are read back.
  bool Submit(const char* action, const QString& className, const QString& friendName);

  std::unique_ptr<TUiWorld> FWorld;
  std::unique_ptr<TFormMain> FWindow;
  int FShop = 0;
  int FBook = 0;
  int FAuthor = 0;
  QString FClassAfter;
  QString FFriendAfter;
};

void TClassDialogsTest::init() {
  FWorld = std::make_unique<TUiWorld>();
  FShop = Seed::Project("Shop");
  FBook = Seed::Class(FShop, "Book", "图书");
  FAuthor = Seed::Class(FShop, "Author", "作者");
  Seed::Member(FShop, FBook, "title", "字符串");
  Seed::Member(FShop, FAuthor, "favourite", "Book");
  FWindow = std::make_unique<TFormMain>();
  FWindow->show();
}

void TClassDialogsTest::cleanup() {
  FWindow.reset();
  FWorld.reset();
}

bool TClassDialogsTest::Submit(const char* action, const QString& className, const QString& friendName) {
  TDialogScript dialogs;
  bool closed = false;
  dialogs.Expect([&](QDialog& dialog) {
    SetText(dialog, "Edt_ClassName", className);
    SetText(dialog, "Edt_FriendName", friendName);
    ClickOk(dialog);
    closed = !dialog.isVisible();
    FClassAfter = Text(dialog, "Edt_ClassName");
    FFriendAfter = Text(dialog, "Edt_FriendName");
  });
  Trigger(*FWindow, action);
  if (dialogs.Pending() != 0) QTest::qFail("the dialog did not open", __FILE__, __LINE__);
  return closed;
}

void TClassDialogsTest::addRefusesBadInputAndStaysOpen_data() {
  QTest::addColumn<QString>("className");
  QTest::addColumn<QString>("friendName");
  QTest::addColumn<QString>("message");
  QTest::newRow("both empty") << ""
                              << ""
                              << "类名称不能为空!";
  QTest::newRow("friendly name empty") << "Novel"
                                       << ""
                                       << "类名称不能为空!";
  QTest::newRow("class name empty") << ""
                                    << "小说"
                                    << "类名称不能为空!";
  // The friendly name is checked before the first letter.
  QTest::newRow("lower case, no friendly name") << "novel"
                                                << ""
                                                << "类名称不能为空!";
  QTest::newRow("lower case") << "novel"
                              << "小说"
                              << "类名首个字母必须大写";
  QTest::newRow("digit") << "1Novel"
                         << "小说"
                         << "类名首个字母必须大写";
  QTest::newRow("blank") << " Novel"
                         << "小说"
                         << "类名首个字母必须大写";
  QTest::newRow("Chinese") << "小说"
                           << "小说"
                           << "类名首个字母必须大写";
  const QString chars = NameRules::kClassNameCharsMessage;
  QTest::newRow("inner blank") << "My Novel"
                               << "小说" << chars;
  QTest::newRow("hyphen") << "Novel-1"
                          << "小说" << chars;
  QTest::newRow("accented letter") << "Novél"
                                   << "小说" << chars;
  QTest::newRow("full-width letter") << "Ｎovel"
                                     << "小说"
                                     << "类名首个字母必须大写";
  QTest::newRow("friendly name not GBK") << "Novel"
                                         << "小说\U0001F4D6" << QString(NameRules::kGbkMessage);
  QTest::newRow("Chinese, no friendly name") << "小说"
                                             << ""
                                             << "类名称不能为空!";
  QTest::newRow("duplicate, no friendly name") << "Book"
                                               << ""
                                               << "类名称不能为空!";
  for (const char* name : {"Order", "User", "Group", "Table", "Select", "Key", "PRIMARY"})
    QTest::newRow(name) << name << "小说" << QString(NameRules::kSqlKeywordMessage);
  for (const char* name : {"ENTITY", "BLL", "DAL", "DBHelp", "CusUsers", "CusUsersHelp", "Dal"})
    QTest::newRow(name) << name << "小说" << QString(NameRules::kGeneratedNameMessage);
  QTest::newRow("friendly name ends a C# comment") << "Novel"
                                                   << "小说*/" << QString(NameRules::kCommentEndMessage);
  // The duplicate check comes last, and ignores case.
  QTest::newRow("duplicate") << "Book"
                             << "书"
                             << "该类名称已经存在!";
  QTest::newRow("duplicate in another case") << "BOOK"
                                             << "书"
                                             << "该类名称已经存在!";
}

void TClassDialogsTest::addRefusesBadInputAndStaysOpen() {
  QFETCH(QString, className);
  QFETCH(QString, friendName);
  QFETCH(QString, message);
  QVERIFY(!Submit("A2", className, friendName));
  QCOMPARE(Messages(), QStringList({message}));
  QCOMPARE(FClassAfter, className);
  QCOMPARE(FFriendAfter, friendName);
  QCOMPARE(Read::ClassNames(FShop), QStringList({"Book", "Author"}));
}

void TClassDialogsTest::addStoresAndReloadsTheClassList() {
  ClickClass(*FWindow, 1);
  QVERIFY(Submit("A2", "Novel_2", "小说"));
  QCOMPARE(Messages(), QStringList({"类名称添加成功！"}));
  QCOMPARE(Read::ClassNames(FShop), QStringList({"Book", "Author", "Novel_2"}));
  QCOMPARE(QString::fromStdString(TClassDAO().GetFriendNameById(TClassDAO().GetClassIdByName(FShop, "Novel_2"))),
           QString("小说"));
  // The list is reloaded: its first class is selected and shown, not the new one.
  QCOMPARE(ClassItems(*FWindow), QStringList({"Book", "Author", "Novel_2"}));
  QCOMPARE(SelectedClassRow(*FWindow), 0);
  QCOMPARE(GridNames(*FWindow), QStringList({"title"}));
}

void TClassDialogsTest::addRefusesADuplicateOnlyWithinTheProject() {
  QVERIFY(!Submit("A2", "Author", "作者"));
  QCOMPARE(Messages(), QStringList({"该类名称已经存在!"}));
  Prompts::ClearShown();
  Seed::Project("Blog");
  FWindow->LoadProjects();
  PickProject(*FWindow, 1);
  QVERIFY(Submit("A2", "Author", "作者"));
  QCOMPARE(Messages(), QStringList({"类名称添加成功！"}));
  QCOMPARE(ClassItems(*FWindow), QStringList({"Author"}));
}

void TClassDialogsTest::updateDialogShowsTheSelectedClass() {
  ClickClass(*FWindow, 1);
  TDialogScript dialogs;
  dialogs.Expect([](QDialog& dialog) {
    QCOMPARE(Text(dialog, "Edt_ClassName"), QString("Author"));
    QCOMPARE(Text(dialog, "Edt_FriendName"), QString("作者"));
  });
  Trigger(*FWindow, "N2");
  QCOMPARE(dialogs.Pending(), 0);
}

void TClassDialogsTest::updateRefusesBadInputAndStaysOpen_data() {
  QTest::addColumn<QString>("className");
  QTest::addColumn<QString>("friendName");
  QTest::addColumn<QString>("message");
  QTest::newRow("class name empty") << ""
                                    << "图书"
                                    << "类名称不能为空";
  QTest::newRow("both empty") << ""
                              << ""
                              << "类名称不能为空";
  // Here the first letter is checked before the friendly name.
  QTest::newRow("lower case, no friendly name") << "book"
                                                << ""
                                                << "类名首个字母必须大写";
  QTest::newRow("hyphen, no friendly name") << "Bo-ok"
                                            << "" << QString(NameRules::kClassNameCharsMessage);
  QTest::newRow("friendly name empty") << "Book"
                                       << ""
                                       << "友好名称不能为空";
  QTest::newRow("friendly name not GBK") << "Book"
                                         << "\u20A9" << QString(NameRules::kGbkMessage);
  QTest::newRow("class name empty, friendly name not GBK") << ""
                                                           << "\u20A9"
                                                           << "类名称不能为空";
  QTest::newRow("digit, friendly name not GBK") << "1Book"
                                                << "\u20A9"
                                                << "类名首个字母必须大写";
  QTest::newRow("keyword") << "Order"
                           << "图书" << QString(NameRules::kSqlKeywordMessage);
  QTest::newRow("generated name") << "DBHelp"
                                  << "图书" << QString(NameRules::kGeneratedNameMessage);
  QTest::newRow("friendly name ends a C# comment") << "Book"
                                                   << "图/*书*/" << QString(NameRules::kCommentEndMessage);
}

void TClassDialogsTest::updateRefusesBadInputAndStaysOpen() {
  QFETCH(QString, className);
  QFETCH(QString, friendName);
  QFETCH(QString, message);
  QVERIFY(!Submit("N2", className, friendName));
  QCOMPARE(Messages(), QStringList({message}));
  QCOMPARE(FClassAfter, className);
  QCOMPARE(FFriendAfter, friendName);
  QCOMPARE(Read::ClassNames(FShop), QStringList({"Book", "Author"}));
  QCOMPARE(ClassItems(*FWindow), QStringList({"Book", "Author"}));
}

void TClassDialogsTest::updateRenamesInPlaceAndMemberTypesFollow() {
  QVERIFY(Submit("N2", "Novel", "小说"));
  QCOMPARE(Messages(), QStringList({"类名称更新成功"}));
  QCOMPARE(Read::ClassNames(FShop), QStringList({"Novel", "Author"}));
  QCOMPARE(QString::fromStdString(TClassDAO().GetFriendNameById(FBook)), QString("小说"));
  QCOMPARE(QString::fromStdString(Read::MemberByName(FAuthor, "favourite")->GetMemberType()), QString("Novel"));
  QCOMPARE(ClassItems(*FWindow), QStringList({"Novel", "Author"}));
  QCOMPARE(SelectedClassRow(*FWindow), 0);
  QCOMPARE(FWindow->SelectedClassId(), FBook);
  ClickClass(*FWindow, 1);
  QCOMPARE(GridRow(*FWindow, 0).at(2), QString("Novel"));

  // Another class's name, in any case, is refused before anything is stored; the class's own name in
  // another case is not another class's.
  ClickClass(*FWindow, 0);
  for (const char* taken : {"Author", "AUTHOR"}) {
    Prompts::ClearShown();
    QVERIFY(!Submit("N2", taken, "作者"));
    QCOMPARE(Messages(), QStringList({"该类名称已经存在!"}));
    QCOMPARE(Read::ClassNames(FShop), QStringList({"Novel", "Author"}));
  }
  Prompts::ClearShown();
  QVERIFY(Submit("N2", "NOVEL", "小说"));
  QCOMPARE(Messages(), QStringList({"类名称更新成功"}));
  QCOMPARE(Read::ClassNames(FShop), QStringList({"NOVEL", "Author"}));
}

void TClassDialogsTest::storeErrorsKeepTheDialogOpen() {
  Seed::FailInserts("t_class", "数据库只读");
  QVERIFY(!Submit("A2", "Novel", "小说"));
  QCOMPARE(Errors(), QStringList({"数据库只读"}));
  QVERIFY(Messages().isEmpty());
  QCOMPARE(FClassAfter, QString("Novel"));
  QCOMPARE(FFriendAfter, QString("小说"));

  Prompts::ClearShown();
  Seed::FailUpdates("t_member", "成员表被锁定");
  QVERIFY(!Submit("N2", "Novel", "小说"));
  QCOMPARE(Errors(), QStringList({"成员表被锁定"}));
  QVERIFY(Messages().isEmpty());
  // The class row and the member types change together or not at all.
  QCOMPARE(Read::ClassNames(FShop), QStringList({"Book", "Author"}));
  QCOMPARE(ClassItems(*FWindow), QStringList({"Book", "Author"}));
}

QTEST_MAIN(TClassDialogsTest)
#include "ClassDialogsTest.moc"
