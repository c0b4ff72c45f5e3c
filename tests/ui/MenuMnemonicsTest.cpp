// Every menu of the main window, walked item by item: each item the window grew beyond its first
// menus has a mnemonic (Alt + a letter), and no two items of one menu share one.
//
// The rule: the captions of the first two menus and their items are kept exactly as they have always
// been, and "生成建表sql语句" among them has no mnemonic; only those may lack one. Every other item,
// whoever adds it, brings a mnemonic that no other item of its menu uses, written "(&X)" before any
// "...". The walk is generic, so an item added later is covered without touching this test.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QTest>
#include <memory>

#include "ui/DataBaseSql.h"
#include "ui/MainForm.h"
#include "ui/support/UiTestSupport.h"

namespace {

// The captions the window has always had, which stay as they are, mnemonic or not.
const QSet<QString> kFirstCaptions = {"项目操作(&P)",     "新建项目(&F)",    "修改项目名称(&X)", "删除当前项目(&D)",
                                      "添加类(&A)",       "修改类名(&B)",    "删除类(&S)",       "添加成员(&M)",
                                      "修改成员属性(&E)", "删除成员(&C)",    "代码管理(&A)",     "生成建表sql语句",
                                      "设置命名空间(&S)", "自动生成代码(&A)"};

// The mnemonic's key, upper case; empty when the caption has none ("&&" is a plain ampersand).
QString Mnemonic(const QString& caption) {
  return QKeySequence::mnemonic(caption).toString(QKeySequence::PortableText).remove("Alt+").toUpper();
}

// The problems of one menu's items (the menu bar's titles are one menu too), then of its submenus.
QStringList MenuProblems(const QString& where, const QList<QAction*>& actions) {
  QStringList problems;
  QHash<QString, QString> taken;
  for (QAction* action : actions) {
    if (action->isSeparator()) continue;
    const QString caption = action->text();
    const QString key = Mnemonic(caption);
    if (key.isEmpty()) {
      if (!kFirstCaptions.contains(caption)) problems << where + ": \"" + caption + "\" has no mnemonic";
    } else if (taken.contains(key)) {
      problems << where + ": \"" + caption + "\" and \"" + taken[key] + "\" share Alt+" + key;
    } else {
      taken[key] = caption;
    }
    if (!key.isEmpty() && !kFirstCaptions.contains(caption)) {
      // A Chinese caption shows its key in brackets; an ellipsis follows them.
      const QString written = "(&" + key + ")";
      if (!caption.contains(written, Qt::CaseInsensitive) ||
          (caption.endsWith("...") && !caption.contains(written + "...", Qt::CaseInsensitive)))
        problems << where + ": \"" + caption + "\" does not write its key as " + written;
    }
    if (action->menu() != nullptr) problems << MenuProblems(where + " > " + caption, action->menu()->actions());
  }
  return problems;
}

}  // namespace

class TMenuMnemonicsTest : public QObject {
  Q_OBJECT

 private slots:
  void everyItemHasItsOwnMnemonic();
  void theRuleCatchesAMissingAndASharedMnemonic();
};

void TMenuMnemonicsTest::everyItemHasItsOwnMnemonic() {
  TUiWorld world;
  TFormMain window;
  QStringList problems = MenuProblems("menu bar", window.menuBar()->actions());
  // The script window's menu on its text: its own items, beside the toolkit's editing entries (which the
  // menu owns, with the toolkit's translated captions and keys).
  TDataBaseSqlForm script(&window);
  const std::unique_ptr<QMenu> memoMenu(script.CreateMemoContextMenu());
  QList<QAction*> own;
  for (QAction* action : memoMenu->actions())
    if (action->parent() != memoMenu.get()) own << action;
  QVERIFY(!own.isEmpty());
  problems << MenuProblems("script window", own);
  QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
  // The walk saw every item: the two menus and what they hold.
  QVERIFY(window.menuBar()->actions().size() >= 2);
  for (QAction* menu : window.menuBar()->actions()) QVERIFY(menu->menu()->actions().size() >= 3);
}

// A walk that found nothing wrong in a menu that is wrong would pass any window.
void TMenuMnemonicsTest::theRuleCatchesAMissingAndASharedMnemonic() {
  QMenu menu;
  menu.addAction("生成建表sql语句");
  menu.addAction("修改成员属性(&E)");
  QVERIFY(MenuProblems("m", menu.actions()).isEmpty());
  menu.addAction("导出工程...");
  menu.addAction("导出工程(&e)...");
  menu.addAction("一个&&两个(&W)");
  menu.addAction("导入(&I)工程...");
  QCOMPARE(
      MenuProblems("m", menu.actions()),
      QStringList({"m: \"导出工程...\" has no mnemonic", "m: \"导出工程(&e)...\" and \"修改成员属性(&E)\" share Alt+E",
                   "m: \"导入(&I)工程...\" does not write its key as (&I)"}));
}

QTEST_MAIN(TMenuMnemonicsTest)
#include "MenuMnemonicsTest.moc"
