// "添加成员属性" and "更新成员属性": the type list, the checks in order, the record
// they store with its derived flags, and the differences between the two dialogs.
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "catalogue/DbHelper.h"
#include "catalogue/MemberDAO.h"
#include "model/NameRules.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"
#include "ui/support/UiTestSupport.h"

using namespace Ui;

namespace {

const QStringList kBuiltInTypes = {"字符串", "整型", "浮点型", "日期型", "图片型"};

// Check boxes by letter: p key, m required, q searchable, d drop-down display,
// h not shown on the query page (clears the one box that starts checked).
void SetFlags(QDialog& dialog, const QString& flags) {
  SetChecked(dialog, "CB_MemberIsPri", flags.contains('p'));
  SetChecked(dialog, "CB_MemberIsMust", flags.contains('m'));
  SetChecked(dialog, "CB_QueryFlag", flags.contains('q'));
  SetChecked(dialog, "CB_MemberIsDisplay", flags.contains('d'));
  SetChecked(dialog, "CB_MemberQueryDisplay", !flags.contains('h'));
}

// The stored member as one line: type/length/pri,integer,float,must,query,display,queryDisplay.
QString Describe(const TMember& m) {
  return QString("%1/%2/%3%4%5%6%7%8%9")
      .arg(QString::fromStdString(m.GetMemberType()))
      .arg(m.GetMemberLength())
      .arg(m.GetMemberIsPri())
      .arg(m.GetMemberIsInteger())
      .arg(m.GetMemberIsFloat())
      .arg(m.GetMemberIsMust())
      .arg(m.GetQueryFlag())
      .arg(m.GetMemberIsDisplay())
      .arg(m.GetMemberQueryDisplay());
}

}  // namespace

class TMemberDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void addDialogStartsEmpty();
  void typeListOffersTheOtherClassesOfTheProject();
  void addRefusesBadInputAndStaysOpen_data();
  void addRefusesBadInputAndStaysOpen();
  void emptyNamePutsTheFocusInTheNameField();
  void addStoresTheMemberWithDerivedFlags_data();
  void addStoresTheMemberWithDerivedFlags();
  void cancelStoresNothing();
  void updateDialogShowsTheStoredMember();
  void updateStoresTheChanges();
  void updateDiffersFromAddOnlyWhereDecided();
  void updateOfAMemberWhoseTypeClassIsGone();
  void storeErrorsKeepTheDialogOpen();
  void aMemberNamedExactlyLikeItsClassIsRefused();

 private:
  // Opens the dialog of the action, lets fill set the controls, presses "确定" and
  // reports whether the dialog closed. The name field afterwards is kept.
  bool Submit(const char* action, const std::function<void(QDialog&)>& fill);

  std::unique_ptr<TUiWorld> FWorld;
  std::unique_ptr<TFormMain> FWindow;
  int FShop = 0;
  int FClassA = 0;
  int FClassB = 0;
  int FTitle = 0;
  int FBorn = 0;
  QString FNameAfter;
};

void TMemberDialogsTest::init() {
  FWorld = std::make_unique<TUiWorld>();
  FShop = Seed::Project("Shop");
  FClassA = Seed::Class(FShop, "A");
  FClassB = Seed::Class(FShop, "B");
  Seed::Class(FShop, "C");
  FTitle = Seed::Member(FShop, FClassB, "title", "字符串", [](TMember& m) { m.SetMemberLength(40); });
  FBorn = Seed::Member(FShop, FClassB, "born", "日期型", [](TMember& m) {
    m.SetMemberIsMust(1);
    m.SetQueryFlag(1);
    m.SetMemberIsDisplay(1);
    m.SetMemberQueryDisplay(0);
    m.SetMemberComment("出生日期");
  });
  const int other = Seed::Project("Other");
  Seed::Class(other, "Elsewhere");
  FWindow = std::make_unique<TFormMain>();
  FWindow->show();
  ClickClass(*FWindow, 1);
  QCOMPARE(FWindow->SelectedClassId(), FClassB);
}

void TMemberDialogsTest::cleanup() {
  FWindow.reset();
  FWorld.reset();
}

bool TMemberDialogsTest::Submit(const char* action, const std::function<void(QDialog&)>& fill) {
  TDialogScript dialogs;
  bool closed = false;
  dialogs.Expect([&](QDialog& dialog) {
    fill(dialog);
    ClickOk(dialog);
    closed = !dialog.isVisible();
    FNameAfter = Text(dialog, "Edt_MemberName");
  });
  Trigger(*FWindow, action);
  if (dialogs.Pending() != 0) QTest::qFail("the dialog did not open", __FILE__, __LINE__);
  return closed;
}

void TMemberDialogsTest::addDialogStartsEmpty() {
  TDialogScript dialogs;
  dialogs.Expect([](QDialog& dialog) {
    QVERIFY(Text(dialog, "Edt_MemberName").isEmpty());
    QCOMPARE(SelectedType(dialog), QString("字符串"));
    QCOMPARE(Text(dialog, "Edt_MemberLength"), QString("20"));
    QVERIFY(!IsChecked(dialog, "CB_MemberIsPri"));
    QVERIFY(!IsChecked(dialog, "CB_MemberIsMust"));
    QVERIFY(!IsChecked(dialog, "CB_QueryFlag"));
    QVERIFY(!IsChecked(dialog, "CB_MemberIsDisplay"));
    QVERIFY(IsChecked(dialog, "CB_MemberQueryDisplay"));
    QVERIFY(Text(dialog, "Edt_MemberComment").isEmpty());
  });
  Trigger(*FWindow, "M1");
  QCOMPARE(dialogs.Pending(), 0);
}

void TMemberDialogsTest::typeListOffersTheOtherClassesOfTheProject() {
  TDialogScript dialogs;
  const QStringList expected = kBuiltInTypes + QStringList({"A", "C"});
  dialogs.Expect([&](QDialog& dialog) { QCOMPARE(TypeItems(dialog), expected); });
  Trigger(*FWindow, "M1");
  dialogs.Expect([&](QDialog& dialog) { QCOMPARE(TypeItems(dialog), expected); });
  ClickGridRow(*FWindow, 0);
  Trigger(*FWindow, "N3");
  QCOMPARE(dialogs.Pending(), 0);
}

void TMemberDialogsTest::addRefusesBadInputAndStaysOpen_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("type");
  QTest::addColumn<QString>("length");
  QTest::addColumn<QString>("flags");
  QTest::addColumn<QString>("comment");
  QTest::addColumn<QString>("message");
  QTest::addColumn<bool>("isError");
  QTest::newRow("empty name") << ""
                              << "整型"
                              << ""
                              << ""
                              << ""
                              << "成员名称输入不能为空!" << false;
  for (const char* name : {"Title", "1title", "名字"})
    QTest::newRow(name) << name << "字符串"
                        << "20"
                        << ""
                        << ""
                        << "成员属性首个字母必须小写" << false;
  const QString chars = NameRules::kMemberNameCharsMessage;
  for (const char* name : {"my title", "title-2", "titlé", "class", "int"})
    QTest::newRow(name) << name << "字符串"
                        << "20"
                        << ""
                        << "" << chars << false;
  QTest::newRow("date not required") << "born2"
                                     << "日期型"
                                     << ""
                                     << ""
                                     << ""
                                     << "日期型必须勾选是否必填标志!" << false;
  QTest::newRow("integer not required") << "count"
                                        << "整型"
                                        << ""
                                        << "q"
                                        << ""
                                        << "整型必须勾选是否必填标志!" << false;
  QTest::newRow("class not required") << "owner"
                                      << "A"
                                      << ""
                                      << ""
                                      << ""
                                      << "A必须勾选是否必填标志!" << false;
  QTest::newRow("float key") << "price"
                             << "浮点型"
                             << ""
                             << "pm"
                             << ""
                             << "主键字段必须是整型或字符串型!" << false;
  QTest::newRow("class key") << "owner"
                             << "A"
                             << ""
                             << "pmq"
                             << ""
                             << "主键字段必须是整型或字符串型!" << false;
  QTest::newRow("searched integer") << "count"
                                    << "整型"
                                    << ""
                                    << "mq"
                                    << ""
                                    << "参与查询的字段不能是整型" << false;
  QTest::newRow("searched float") << "rate"
                                  << "浮点型"
                                  << ""
                                  << "mq"
                                  << ""
                                  << "参与查询的字段不能是浮点型" << false;
  QTest::newRow("searched picture") << "photo"
                                    << "图片型"
                                    << ""
                                    << "q"
                                    << ""
                                    << "参与查询的字段不能是图片型" << false;
  // Input that breaks two rules at once is refused with the message of the earlier check.
  QTest::newRow("empty name, date not required") << ""
                                                 << "日期型"
                                                 << ""
                                                 << "q"
                                                 << ""
                                                 << "成员名称输入不能为空!" << false;
  QTest::newRow("upper case, date not required") << "Born"
                                                 << "日期型"
                                                 << ""
                                                 << ""
                                                 << ""
                                                 << "成员属性首个字母必须小写" << false;
  QTest::newRow("float key not required") << "price"
                                          << "浮点型"
                                          << ""
                                          << "p"
                                          << ""
                                          << "浮点型必须勾选是否必填标志!" << false;
  QTest::newRow("searched class key not required") << "owner"
                                                   << "A"
                                                   << ""
                                                   << "pq"
                                                   << ""
                                                   << "A必须勾选是否必填标志!" << false;
  QTest::newRow("searched float key") << "rate"
                                      << "浮点型"
                                      << ""
                                      << "pmq"
                                      << ""
                                      << "主键字段必须是整型或字符串型!" << false;
  QTest::newRow("comment not GBK") << "note"
                                   << "字符串"
                                   << "20"
                                   << ""
                                   << "备注\u20A9" << NameRules::kGbkMessage << false;
  QTest::newRow("name taken") << "title"
                              << "字符串"
                              << "20"
                              << ""
                              << ""
                              << "该成员名称已经存在!" << false;
  QTest::newRow("name taken, other case") << "tiTLE"
                                          << "整型"
                                          << ""
                                          << "m"
                                          << ""
                                          << "该成员名称已经存在!" << false;
  QTest::newRow("length letters") << "isbn"
                                  << "字符串"
                                  << "abc"
                                  << ""
                                  << ""
                                  << "'abc' is not a valid integer value" << true;
  QTest::newRow("length empty") << "isbn"
                                << "字符串"
                                << ""
                                << ""
                                << ""
                                << "'' is not a valid integer value" << true;
  QTest::newRow("length with blank") << "isbn"
                                     << "字符串"
                                     << "13 "
                                     << ""
                                     << ""
                                     << "'13 ' is not a valid integer value" << true;
  QTest::newRow("length too large") << "isbn"
                                    << "字符串"
                                    << "99999999999"
                                    << ""
                                    << ""
                                    << "'99999999999' is not a valid integer value" << true;
  // Names that are identifiers but break the script or the generated code, texts that end a C# comment,
  // and string lengths SQL Server's varchar cannot take.
  for (const char* name : {"user", "order", "key", "tABLE"})
    QTest::newRow(name) << name << "字符串"
                        << "20"
                        << ""
                        << "" << QString(NameRules::kSqlKeywordMessage) << false;
  for (const char* name : {"dal", "dBHelp", "cusUsers"})
    QTest::newRow(name) << name << "字符串"
                        << "20"
                        << ""
                        << "" << QString(NameRules::kGeneratedNameMessage) << false;
  QTest::newRow("comment ends a C# comment") << "note"
                                             << "字符串"
                                             << "20"
                                             << ""
                                             << "备注*/ x" << QString(NameRules::kCommentEndMessage) << false;
  for (const char* length : {"0", "-5", "8001"})
    QTest::newRow(length) << "isbn"
                          << "字符串" << length << ""
                          << "" << QString(NameRules::kStringLengthMessage) << false;
}

void TMemberDialogsTest::addRefusesBadInputAndStaysOpen() {
  QFETCH(QString, name);
  QFETCH(QString, type);
  QFETCH(QString, length);
  QFETCH(QString, flags);
  QFETCH(QString, comment);
  QFETCH(QString, message);
  QFETCH(bool, isError);
  const bool closed = Submit("M1", [&](QDialog& dialog) {
    SetText(dialog, "Edt_MemberName", name);
    PickType(dialog, type);
    SetText(dialog, "Edt_MemberLength", length);
    SetFlags(dialog, flags);
    SetText(dialog, "Edt_MemberComment", comment);
  });
  QVERIFY(!closed);
  QCOMPARE(isError ? Errors() : Messages(), QStringList({message}));
  QCOMPARE(Prompts::Shown().size(), 1);
  QCOMPARE(FNameAfter, name);
  QCOMPARE(Read::MemberCount(FClassB), 2);
}

void TMemberDialogsTest::emptyNamePutsTheFocusInTheNameField() {
  TDialogScript dialogs;
  dialogs.Expect([](QDialog& dialog) {
    Find<QLineEdit>(&dialog, "Edt_MemberComment")->setFocus();
    ClickOk(dialog);
    QCOMPARE(dialog.focusWidget(), Find<QLineEdit>(&dialog, "Edt_MemberName"));
  });
  Trigger(*FWindow, "M1");
  QCOMPARE(Messages(), QStringList({"成员名称输入不能为空!"}));
}

void TMemberDialogsTest::addStoresTheMemberWithDerivedFlags_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("type");
  QTest::addColumn<QString>("length");
  QTest::addColumn<QString>("flags");
  QTest::addColumn<QString>("stored");
  QTest::newRow("optional string") << "isbn"
                                   << "字符串"
                                   << "13"
                                   << ""
                                   << "字符串/13/0000001";
  QTest::newRow("string key, signed length") << "code"
                                             << "字符串"
                                             << "+8"
                                             << "pmd"
                                             << "字符串/8/1001011";
  QTest::newRow("optional picture") << "photo"
                                    << "图片型"
                                    << "20"
                                    << ""
                                    << "图片型/0/0000001";
  QTest::newRow("integer key, letters as length") << "bookId"
                                                  << "整型"
                                                  << "abc"
                                                  << "pm"
                                                  << "整型/0/1101001";
  QTest::newRow("float") << "price"
                         << "浮点型"
                         << "12"
                         << "m"
                         << "浮点型/0/0011001";
  QTest::newRow("searched date, hidden") << "sold"
                                         << "日期型"
                                         << ""
                                         << "mqh"
                                         << "日期型/0/0001100";
  QTest::newRow("searched reference") << "owner"
                                      << "A"
                                      << "20"
                                      << "mqd"
                                      << "A/0/0001111";
}

void TMemberDialogsTest::addStoresTheMemberWithDerivedFlags() {
  QFETCH(QString, name);
  QFETCH(QString, type);
  QFETCH(QString, length);
  QFETCH(QString, flags);
  QFETCH(QString, stored);
  QVERIFY(Submit("M1", [&](QDialog& dialog) {
    SetText(dialog, "Edt_MemberName", name);
    PickType(dialog, type);
    SetText(dialog, "Edt_MemberLength", length);
    SetFlags(dialog, flags);
    SetText(dialog, "Edt_MemberComment", "注释'含引号");
  }));
  QCOMPARE(Messages(), QStringList({"类成员属性添加成功!"}));
  const std::unique_ptr<TMember> member = Read::MemberByName(FClassB, name.toStdString());
  QVERIFY(member);
  QCOMPARE(Describe(*member), stored);
  QCOMPARE(member->GetProjectId(), FShop);
  QCOMPARE(QString::fromStdString(member->GetMemberComment()), QString("注释'含引号"));
  QCOMPARE(GridNames(*FWindow), QStringList({"title", "born", name}));
}

void TMemberDialogsTest::cancelStoresNothing() {
  TDialogScript dialogs;
  bool closed = false;
  dialogs.Expect([&](QDialog& dialog) {
    SetText(dialog, "Edt_MemberName", "isbn");
    ClickCancel(dialog);
    closed = !dialog.isVisible();
  });
  Trigger(*FWindow, "M1");
  QVERIFY(closed);
  QVERIFY(Prompts::Shown().isEmpty());
  QCOMPARE(Read::MemberCount(FClassB), 2);
}

void TMemberDialogsTest::updateDialogShowsTheStoredMember() {
  TDialogScript dialogs;
  dialogs.Expect([](QDialog& dialog) {
    QCOMPARE(Text(dialog, "Edt_MemberName"), QString("born"));
    QCOMPARE(SelectedType(dialog), QString("日期型"));
    QCOMPARE(Text(dialog, "Edt_MemberLength"), QString("0"));
    QVERIFY(!IsChecked(dialog, "CB_MemberIsPri"));
    QVERIFY(IsChecked(dialog, "CB_MemberIsMust"));
    QVERIFY(IsChecked(dialog, "CB_QueryFlag"));
    QVERIFY(IsChecked(dialog, "CB_MemberIsDisplay"));
    QVERIFY(!IsChecked(dialog, "CB_MemberQueryDisplay"));
    QCOMPARE(Text(dialog, "Edt_MemberComment"), QString("出生日期"));
  });
  DoubleClickGridRow(*FWindow, 1);
  QCOMPARE(dialogs.Opened(), QStringList({"UpdateMemberForm"}));
  QCOMPARE(dialogs.Pending(), 0);
}

void TMemberDialogsTest::updateStoresTheChanges() {
  ClickGridRow(*FWindow, 0);
  QVERIFY(Submit("N3", [](QDialog& dialog) {
    QCOMPARE(Text(dialog, "Edt_MemberLength"), QString("40"));
    SetText(dialog, "Edt_MemberName", "titleId");
    PickType(dialog, "整型");
    SetFlags(dialog, "pmd");
    SetText(dialog, "Edt_MemberComment", "编号");
  }));
  QCOMPARE(Messages(), QStringList({"类成员属性更新成功!"}));
  const std::unique_ptr<TMember> member = TMemberDAO().GetMemberById(FTitle);
  QCOMPARE(QString::fromStdString(member->GetMemberName()), QString("titleId"));
  QCOMPARE(Describe(*member), QString("整型/0/1101011"));
  QCOMPARE(member->GetClassId(), FClassB);
  QCOMPARE(GridRow(*FWindow, 0).mid(1), QStringList({"titleId", "整型", "0", "是", "是", "否", "是", "是", "编号"}));

  // Its own name (in another case, too) does not count as taken.
  Prompts::ClearShown();
  ClickGridRow(*FWindow, 0);
  QVERIFY(Submit("N3", [](QDialog& dialog) { SetText(dialog, "Edt_MemberName", "titleID"); }));
  QCOMPARE(Messages(), QStringList({"类成员属性更新成功!"}));
}

void TMemberDialogsTest::updateDiffersFromAddOnlyWhereDecided() {
  // The change dialog checks the key's type like the add dialog does.
  ClickGridRow(*FWindow, 1);
  QVERIFY(!Submit("N3", [](QDialog& dialog) { SetFlags(dialog, "pm"); }));
  QCOMPARE(Messages(), QStringList({"主键字段必须是整型或字符串型!"}));

  // Another member's name is taken; the member keeps its own.
  Prompts::ClearShown();
  ClickGridRow(*FWindow, 1);
  QVERIFY(!Submit("N3", [](QDialog& dialog) { SetText(dialog, "Edt_MemberName", "title"); }));
  QCOMPARE(Messages(), QStringList({"该成员名称已经存在!"}));

  // The same first checks as the add dialog.
  Prompts::ClearShown();
  ClickGridRow(*FWindow, 1);
  QVERIFY(!Submit("N3", [](QDialog& dialog) { SetText(dialog, "Edt_MemberName", "Born"); }));
  QCOMPARE(Messages(), QStringList({"成员属性首个字母必须小写"}));
  QCOMPARE(QString::fromStdString(TMemberDAO().GetMemberById(FBorn)->GetMemberName()), QString("born"));
}

void TMemberDialogsTest::updateOfAMemberWhoseTypeClassIsGone() {
  const int ghost = Seed::Member(FShop, FClassB, "ghost", "Gone", [](TMember& m) { m.SetMemberIsMust(0); });
  FWindow->ShowMembers(FClassB);
  ClickGridRow(*FWindow, 2);
  QVERIFY(!Submit("N3", [](QDialog& dialog) {
    QCOMPARE(Find<QComboBox>(&dialog, "CB_MemberType")->currentIndex(), -1);
    QCOMPARE(SelectedType(dialog), QString());
  }));
  QCOMPARE(Messages(), QStringList({"必须勾选是否必填标志!"}));

  Prompts::ClearShown();
  ClickGridRow(*FWindow, 2);
  QVERIFY(Submit("N3", [](QDialog& dialog) { SetChecked(dialog, "CB_MemberIsMust", true); }));
  QCOMPARE(Messages(), QStringList({"类成员属性更新成功!"}));
  QCOMPARE(QString::fromStdString(TMemberDAO().GetMemberById(ghost)->GetMemberType()), QString());
}

void TMemberDialogsTest::storeErrorsKeepTheDialogOpen() {
  Seed::FailInserts("t_member", "写入失败");
  QVERIFY(!Submit("M1", [](QDialog& dialog) { SetText(dialog, "Edt_MemberName", "isbn"); }));
  QCOMPARE(Errors(), QStringList({"写入失败"}));
  QVERIFY(Messages().isEmpty());
  QCOMPARE(FNameAfter, QString("isbn"));

  Prompts::ClearShown();
  Seed::FailUpdates("t_member", "更新失败");
  ClickGridRow(*FWindow, 0);
  QVERIFY(!Submit("N3", [](QDialog& dialog) { SetText(dialog, "Edt_MemberName", "heading"); }));
  QCOMPARE(Errors(), QStringList({"更新失败"}));
  QVERIFY(Messages().isEmpty());
  QCOMPARE(FNameAfter, QString("heading"));
  QCOMPARE(GridNames(*FWindow), QStringList({"title", "born"}));
}

// A class from a catalogue made elsewhere may start with a small letter; a member of exactly its name would
// not compile in C#, in the add and the change dialog alike. Another case is another name.
void TMemberDialogsTest::aMemberNamedExactlyLikeItsClassIsRefused() {
  TDbHelper().ExecSql("update t_class set className='book' where classId=" + std::to_string(FClassB));
  FWindow->LoadClasses(FShop);
  ClickClass(*FWindow, 1);
  QCOMPARE(FWindow->SelectedClassName(), QString("book"));
  const auto named = [](const QString& name) {
    return [name](QDialog& dialog) {
      SetText(dialog, "Edt_MemberName", name);
      PickType(dialog, "字符串");
      SetText(dialog, "Edt_MemberLength", "20");
    };
  };
  QVERIFY(!Submit("M1", named("book")));
  QCOMPARE(Messages(), QStringList({NameRules::kMemberLikeClassMessage}));
  ClickGridRow(*FWindow, 0);
  Prompts::ClearShown();
  QVERIFY(!Submit("N3", named("book")));
  QCOMPARE(Messages(), QStringList({NameRules::kMemberLikeClassMessage}));
  QCOMPARE(Read::MemberCount(FClassB), 2);

  Prompts::ClearShown();
  QVERIFY(Submit("M1", named("bOOK")));
  QCOMPARE(Read::MemberCount(FClassB), 3);
}

QTEST_MAIN(TMemberDialogsTest)
#include "MemberDialogsTest.moc"
