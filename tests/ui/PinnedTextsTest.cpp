// What the user sees and what a screen reader announces, read back from the
// widgets: captions, sizes, labels with their padding blanks, grid columns, group
// captions, menus in order, the accessible names, and the icons and captions of
// the boxes. One table per window.
#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>

#include "ui/DataBaseSql.h"
#include "ui/FormAddClass.h"
#include "ui/FormAddMember.h"
#include "ui/FormUpdateClass.h"
#include "ui/FormUpdateMember.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"
#include "ui/UpgradeSqlForm.h"
#include "ui/support/UiTestSupport.h"

using namespace Ui;

namespace {

QWidget* Child(QWidget* window, const QString& name) {
  return Find<QWidget>(window, qPrintable(name));
}

// One thing the user sees, named "what[:widget]":
//   caption, client            the window's title and client size (w x h)
//   size:W, group:W, text:W    a widget's size, a group box's or button's caption
//   label:W                    the text of the label linked to W
//   name:W, description:W      what a screen reader announces for W
//   column:N                   caption/width of a grid column
//   menubar, menu:M            the menu titles; a menu's items as name=text, in order
QString ReadShown(QWidget* window, const QString& what) {
  const QString kind = what.section(':', 0, 0);
  const QString name = what.section(':', 1);
  const auto sizeText = [](const QSize& size) { return QString("%1x%2").arg(size.width()).arg(size.height()); };
  if (kind == "caption") return window->windowTitle();
  if (kind == "client") {
    auto* mainWindow = qobject_cast<QMainWindow*>(window);
    return sizeText(mainWindow != nullptr ? mainWindow->centralWidget()->size() : window->size());
  }
  if (kind == "size") return sizeText(Child(window, name)->size());
  if (kind == "group") return Find<QGroupBox>(window, qPrintable(name))->title();
  if (kind == "text") {
    if (auto* label = qobject_cast<QLabel*>(Child(window, name))) return label->text();
    return Find<QAbstractButton>(window, qPrintable(name))->text();
  }
  if (kind == "label") {
    QStringList texts;
    for (QLabel* label : window->findChildren<QLabel*>())
      if (label->buddy() == Child(window, name)) texts << label->text();
    return texts.join('|');
  }
  if (kind == "name" || kind == "description") {
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(Child(window, name));
    return reader->text(kind == "name" ? QAccessible::Name : QAccessible::Description);
  }
  if (kind == "column") {
    auto* grid = Find<QTableWidget>(window, "LV_Member");
    const int column = name.toInt();
    return QString("%1/%2").arg(grid->horizontalHeaderItem(column)->text()).arg(grid->columnWidth(column));
  }
  if (kind == "menubar") {
    QStringList titles;
    for (QAction* menu : static_cast<QMainWindow*>(window)->menuBar()->actions()) titles << menu->text();
    return titles.join('|');
  }
  if (kind == "menu") {
    auto* menu = Find<QMenu>(window, qPrintable(name));
    QStringList items{menu->title()};
    for (QAction* action : menu->actions()) items << action->objectName() + "=" + action->text();
    return items.join('|');
  }
  QTest::qFail(qPrintable("cannot read " + what), __FILE__, __LINE__);
  return {};
}

void AddRow(const QString& what, const QString& expected) {
  QTest::newRow(qPrintable(what)) << what << expected;
}

// A label-linked control: the label's text as typed, and the same text without
// its padding as the control's accessible name.
void AddLabelled(const char* control, const QString& label) {
  AddRow(QString("label:") + control, label);
  AddRow(QString("name:") + control, label.trimmed());
}

void AddClassDialogRows(const QString& caption, const QString& client, const QString& classLabel,
                        const QString& friendLabel) {
  QTest::addColumn<QString>("what");
  QTest::addColumn<QString>("expected");
  AddRow("caption", caption);
  AddRow("client", client);
  AddLabelled("Edt_ClassName", classLabel);
  AddLabelled("Edt_FriendName", friendLabel);
  AddRow("text:Button1", "确定");
  AddRow("name:Button1", "确定");
}

void AddMemberDialogRows(const QString& caption, const QString& client) {
  QTest::addColumn<QString>("what");
  QTest::addColumn<QString>("expected");
  AddRow("caption", caption);
  AddRow("client", client);
  AddLabelled("Edt_MemberName", "成员名称：");
  AddLabelled("CB_MemberType", "成员类型：");
  AddLabelled("Edt_MemberLength", "长度： ");
  AddRow("text:Label4", "(字符串类型有效)     ");
  AddRow("description:Edt_MemberLength", "(字符串类型有效)");
  AddLabelled("Edt_MemberComment", "成员注释：");
  const QList<QPair<const char*, QString>> boxes = {{"CB_MemberIsPri", "是否主键"},
                                                    {"CB_MemberIsMust", "是否必填"},
                                                    {"CB_QueryFlag", "是否参与查询"},
                                                    {"CB_MemberIsDisplay", "下拉框显示字段"},
                                                    {"CB_MemberQueryDisplay", "查询界面是否显示"},
                                                    {"Button1", "确定"},
                                                    {"Button2", "取消"}};
  for (const auto& [control, text] : boxes) {
    AddRow(QString("text:") + control, text);
    AddRow(QString("name:") + control, text);
  }
}

}  // namespace

class TPinnedTextsTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void mainWindow_data();
  void mainWindow();
  void addClassDialog_data() {
    AddClassDialogRows("添加类", "269x218", "类英文名称:        ", "中文友好名称:         ");
  }
  void addClassDialog();
  void updateClassDialog_data() {
    AddClassDialogRows("类更新", "271x214", "类英文名称:       ", "中文友好名称:        ");
  }
  void updateClassDialog();
  void addMemberDialog_data() { AddMemberDialogRows("添加成员属性", "389x331"); }
  void addMemberDialog();
  void updateMemberDialog_data() { AddMemberDialogRows("更新成员属性", "372x320"); }
  void updateMemberDialog();
  void scriptWindow_data();
  void scriptWindow();
  void upgradeWindow_data();
  void upgradeWindow();

  void boxesShowTheirCaptionsAndIcons_data();
  void boxesShowTheirCaptionsAndIcons();
  void namespaceInputBoxOffersTheCurrentValue();

 private:
  void Check(QWidget& window);

  std::unique_ptr<TUiWorld> FWorld;
  std::unique_ptr<TFormMain> FWindow;
  int FMemberId = 0;
};

void TPinnedTextsTest::init() {
  FWorld = std::make_unique<TUiWorld>();
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book", "图书");
  Seed::Class(shop, "Author", "作者");
  FMemberId = Seed::Member(shop, book, "title", "字符串");
  FWindow = std::make_unique<TFormMain>();
  FWindow->show();
}

void TPinnedTextsTest::cleanup() {
  FWindow.reset();
  FWorld.reset();
}

void TPinnedTextsTest::Check(QWidget& window) {
  QFETCH(QString, what);
  QFETCH(QString, expected);
  QCOMPARE(ReadShown(&window, what), expected);
}

void TPinnedTextsTest::mainWindow_data() {
  QTest::addColumn<QString>("what");
  QTest::addColumn<QString>("expected");
  AddRow("caption", "corvanthelasp.net代码生成器2.1版");
  AddRow("client", "770x547");
  AddRow("size:Image1", "770x89");
  AddRow("name:Image1", "打开帮助页面");
  AddRow("group:GroupBox1", "项目操作区");
  AddLabelled("CB_Project", "项目:");
  AddRow("size:CB_Project", "121x24");
  AddLabelled("LB_Object", "该项目所有类如下:");
  AddRow("size:LB_Object", "153x241");
  AddRow("name:LV_Member", "成员列表");
  const QStringList columns = {"编号/1",  "成员名称/90", "成员类型/70",   "长度/50",     "主键/50",
                               "必填/50", "查询/50",     "下拉框显示/75", "界面显示/60", "注释/110"};
  for (int column = 0; column < columns.size(); ++column) AddRow(QString("column:%1").arg(column), columns[column]);
  AddRow("group:GroupBox2", "生成进度");
  AddRow("name:Memo_State", "生成进度");
  AddRow("menubar", "项目操作(&P)|代码管理(&A)");
  AddRow("menu:F1",
         "项目操作(&P)|F2=新建项目(&F)|N1=修改项目名称(&X)|D1=删除当前项目(&D)|A2=添加类(&A)|N2=修改类名(&B)|"
         "S1=删除类(&S)|M1=添加成员(&M)|N3=修改成员属性(&E)|C1=删除成员(&C)|=|ExportProject=导出工程(&O)...|"
         "ImportProject=导入工程(&I)...|ImportSql1=从SQL脚本导入(&Q)...");
  AddRow("menu:P1",
         "代码管理(&A)|sql1=生成建表sql语句|UpgradeSql1=生成升级sql语句(&U)|S2=设置命名空间(&S)|V1=预览代码(&V)...|"
         "A1=自动生成代码(&A)|ExportTemplates1=导出模板(&T)...|KeepEdits1=保留手工修改(&K)|Pages1=生成管理页面(&G)");
}

void TPinnedTextsTest::mainWindow() {
  Check(*FWindow);
}

void TPinnedTextsTest::addClassDialog() {
  TAddClassForm dialog(FWindow.get());
  Check(dialog);
}

void TPinnedTextsTest::updateClassDialog() {
  TUpdateClassForm dialog(FWindow.get());
  Check(dialog);
}

void TPinnedTextsTest::addMemberDialog() {
  TAddMemberForm dialog(FWindow.get());
  Check(dialog);
}

void TPinnedTextsTest::updateMemberDialog() {
  TUpdateMemberForm dialog(FWindow.get(), FMemberId);
  Check(dialog);
}

void TPinnedTextsTest::scriptWindow_data() {
  QTest::addColumn<QString>("what");
  QTest::addColumn<QString>("expected");
  AddRow("caption", "数据库建表sql语句");
  AddRow("client", "766x551");
  AddRow("name:Memo_Sql", "建表sql语句");
}

void TPinnedTextsTest::scriptWindow() {
  TDataBaseSqlForm form(FWindow.get());
  Check(form);
}

void TPinnedTextsTest::upgradeWindow_data() {
  QTest::addColumn<QString>("what");
  QTest::addColumn<QString>("expected");
  AddRow("caption", "数据库升级sql语句");
  AddRow("client", "766x551");
  AddRow("name:Memo_Sql", "升级sql语句");
  AddRow("text:BT_Record", "记录为新版本(&R)");
  AddRow("name:BT_Record", "记录为新版本");
}

void TPinnedTextsTest::upgradeWindow() {
  TUpgradeSqlForm form(FWindow.get(), TDatabaseUpgradeRequest(), "");
  Check(form);
}

void TPinnedTextsTest::boxesShowTheirCaptionsAndIcons_data() {
  QTest::addColumn<QString>("command");
  QTest::addColumn<QString>("kind");
  QTest::addColumn<QString>("caption");
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("icon");
  const int none = int(Prompts::TIcon::None);
  const int information = int(Prompts::TIcon::Information);
  const QString title = QApplication::applicationDisplayName();
  QTest::newRow("delete project") << "D1"
                                  << "confirm"
                                  << "删除提示"
                                  << "确认删除当前项目吗?" << information;
  QTest::newRow("delete class") << "S1"
                                << "confirm"
                                << "提示"
                                << "确认删除此类对象！" << information;
  QTest::newRow("delete member") << "C1"
                                 << "confirm"
                                 << "删除提示"
                                 << "确定删除当前成员属性?" << information;
  QTest::newRow("new project") << "F2"
                               << "input"
                               << "请输入工程名称"
                               << "" << none;
  QTest::newRow("empty project name") << "F2"
                                      << "message" << title << "工程名称不能为空!" << none;
  QTest::newRow("generation done") << "done"
                                   << "box"
                                   << "任务提示"
                                   << "所有代码生成完毕!" << information;
}

void TPinnedTextsTest::boxesShowTheirCaptionsAndIcons() {
  QFETCH(QString, command);
  QFETCH(QString, kind);
  QFETCH(QString, caption);
  QFETCH(QString, text);
  QFETCH(int, icon);
  if (command == "done") {
    FWindow->WMGenerateDone(TFormMain::ProgramFolder() + "/projects/Shop");
  } else {
    ClickGridRow(*FWindow, 0);
    Trigger(*FWindow, qPrintable(command));
  }
  QList<Prompts::TShown> shown;
  for (const Prompts::TShown& box : Prompts::Shown())
    if (box.kind == kind) shown << box;
  QCOMPARE(shown.size(), 1);
  QCOMPARE(shown[0].caption, caption);
  QCOMPARE(shown[0].text, text);
  QCOMPARE(int(shown[0].icon), icon);
}

// The real line-input box, not the scripted one: its caption, its prompt with the
// eleven trailing blanks, and the current namespace already in the field.
void TPinnedTextsTest::namespaceInputBoxOffersTheCurrentValue() {
  Prompts::SetScripted(false);
  QStringList seen;
  const auto answer = [&seen](const std::function<void(QInputDialog&)>& action) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, &seen, action] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QInputDialog*>(widget);
        if (box == nullptr || !box->isVisible()) continue;
        poll->stop();
        poll->deleteLater();
        seen << box->windowTitle() << box->labelText() << box->textValue();
        action(*box);
        return;
      }
    });
    poll->start(10);
  };

  answer([](QInputDialog& box) {
    box.setTextValue("MyShop");
    box.accept();
  });
  Trigger(*FWindow, "S2");
  QCOMPARE(FWindow->Namespace(), QString("MyShop"));

  answer([](QInputDialog& box) {
    box.setTextValue("Other");
    box.reject();
  });
  Trigger(*FWindow, "S2");
  QCOMPARE(FWindow->Namespace(), QString("MyShop"));

  QCOMPARE(seen, QStringList({"命名空间输入框", "请输入一个命名空间名如:           ", "corvanthel", "命名空间输入框",
                              "请输入一个命名空间名如:           ", "MyShop"}));
  Prompts::SetScripted(true);
}

QTEST_MAIN(TPinnedTextsTest)
#include "PinnedTextsTest.moc"
